#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <utility>

#include "platform/Text.h"

namespace sealwing::xml {
namespace {

struct FailureCase {
    const char* label;
    std::wstring input;
    XmlErrorCode code;
    std::wstring message;
};

class XmlFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(XmlFailureTest, FailsWithTheFirstErrorAndNoElement) {
    const auto& param = GetParam();
    XmlDocument document;
    EXPECT_FALSE(document.Load(param.input).has_value());
    EXPECT_EQ(Root(document), nullptr);
    EXPECT_EQ(document.error.occurred, param.code != XmlErrorCode::None);
    EXPECT_EQ(document.error.code, param.code);
    EXPECT_EQ(document.error.message, param.message);
}

INSTANTIATE_TEST_SUITE_P(
    Xml, XmlFailureTest,
    ::testing::Values(FailureCase{"SlashNotFollowedByClose", L"<a/ >", XmlErrorCode::ElementNotClosed,
                                  L"Element must be closed."},
                      FailureCase{"ClosingTagCutShort", L"<a></a", XmlErrorCode::ClosingTagNotDelimited,
                                  L"it must be closed with </a>"},
                      FailureCase{"ClosingTagOfAnotherElement", L"<a>x</b>", XmlErrorCode::MismatchedClosingTag,
                                  L"'<a> ... </b>' is not wel-formed."},
                      FailureCase{"AttributeWithoutDelimiter", L"<a b></a>", XmlErrorCode::AttributeNotDelimited,
                                  L"<a> attribute has error "},
                      FailureCase{"AttributeQuoteNeverCloses", L"<a b=\"1></a>", XmlErrorCode::None, L""},
                      FailureCase{"CommentNeverEnds", L"<!-- note <a/>", XmlErrorCode::None, L""},
                      FailureCase{"InstructionNeverEnds", L"<?xml version=\"1.0\" <a/>", XmlErrorCode::None, L""},
                      FailureCase{"NoElementAtAll", L"just text", XmlErrorCode::None, L""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(XmlTest, ALineBreakBeforeTheFirstChildIsTheValue) {
    XmlDocument document;
    ASSERT_TRUE(document.Load(L"<root>\r\n  <success>true</success>\r\n</root>").has_value());
    const XmlNode* root = Root(document);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->name, L"root");
    EXPECT_EQ(root->value, L"\r\n  ");
    const XmlNode* success = Child(*root, L"success");
    ASSERT_NE(success, nullptr);
    EXPECT_EQ(Text(*success), L"true");
}

TEST(XmlTest, InputEndingInsideAnElementStillLoads) {
    for (const std::wstring input : {L"<a>text", L"<a><b/>", L"<a/>"}) {
        XmlDocument document;
        EXPECT_TRUE(document.Load(input).has_value()) << std::string(input.begin(), input.end());
        ASSERT_NE(Root(document), nullptr);
        EXPECT_EQ(Root(document)->name, L"a");
        EXPECT_FALSE(document.error.occurred);
    }
}

TEST(XmlTest, ValuesDropEscapesAndDecodeTheFiveReferences) {
    struct Case {
        std::wstring input;
        std::wstring value;
        std::wstring text;
    };
    for (const auto& c : {Case{L"<a>x &lt; y</a>", L"x < y", L"x &lt; y"}, Case{L"<a>C:\\dir</a>", L"C:dir", L"C:dir"},
                          Case{L"<a>C:\\\\dir</a>", L"C:\\dir", L"C:\\dir"},
                          Case{L"<a>\\<b\\></a>", L"<b>", L"&lt;b&gt;"}, Case{L"<a>&amp </a>", L"&amp ", L"&amp;amp "},
                          Case{L"<a>&AMP;&quot;&apos;&gt;</a>", L"&AMP;\"'>", L"&amp;AMP;&quot;&apos;&gt;"}}) {
        XmlDocument document;
        ASSERT_TRUE(document.Load(c.input).has_value());
        EXPECT_EQ(Root(document)->value, c.value);
        EXPECT_EQ(Text(*Root(document)), c.text);
    }
}

// ConvertBack turns each of the five references back once: what a reference stands for is never read again.
TEST(XmlTest, ConvertBackTurnsEachReferenceBackOnce) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"&lt;&gt;&quot;&apos;&amp;", L"<>\"'&"},
        {L"&amp;lt; &amp;amp;", L"&lt; &amp;"},
        {L"&&lt;&amp", L"&<&amp"},
        {L"&nbsp; &LT; &#60;", L"&nbsp; &LT; &#60;"},
        {L"", L""},
        {L"no references", L"no references"},
    };
    for (const auto& [text, back] : cases) EXPECT_EQ(ConvertBack(text), back) << platform::Utf8FromWide(text);
}

TEST(XmlTest, AttributesQuotedUnquotedEscapedAndBare) {
    XmlDocument document;
    ASSERT_TRUE(document.Load(L"<a one=\"1\" two = '2' three=3 four five=\"q\\\"q &amp; r\"/>").has_value());
    const auto& attributes = Root(document)->attributes;
    ASSERT_EQ(attributes.size(), 5u);
    const std::pair<std::wstring, std::wstring> expected[] = {
        {L"one", L"1"}, {L"two", L"2"}, {L"three", L"3"}, {L"four", L""}, {L"five", L"q\"q & r"}};
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        EXPECT_EQ(attributes[i]->name, expected[i].first);
        EXPECT_EQ(attributes[i]->value, expected[i].second);
        EXPECT_EQ(attributes[i]->parent, Root(document));
    }
}

TEST(XmlTest, CommentsAndDataAroundTheTopElementBelongToTheDocument) {
    XmlDocument document;
    const std::wstring input =
        L"<?XML version=\"1.0\"?>\r\n<!-- before -->\r\n<![cdata[raw <data>]]>"
        L"<reply><?inner go=\"1\"?><!--inside--><item>1</item></reply>\r\n<!--after-->";
    const auto stopped = document.Load(input);
    ASSERT_TRUE(stopped.has_value());
    EXPECT_EQ(*stopped, input.size());

    std::vector<std::pair<XmlNodeType, std::wstring>> children;
    for (const auto& child : document.children) children.emplace_back(child->type, child->name);
    const std::vector<std::pair<XmlNodeType, std::wstring>> expected = {{XmlNodeType::ProcessingInstruction, L"XML"},
                                                                        {XmlNodeType::Comment, L"#COMMENT"},
                                                                        {XmlNodeType::CData, L"#CDATA"},
                                                                        {XmlNodeType::ProcessingInstruction, L"inner"},
                                                                        {XmlNodeType::Element, L"reply"},
                                                                        {XmlNodeType::Comment, L"#COMMENT"}};
    EXPECT_EQ(children, expected);
    EXPECT_EQ(document.children[0]->attributes.at(0)->value, L"1.0");
    EXPECT_EQ(document.children[2]->value, L"raw <data>");

    const XmlNode* reply = Root(document);
    ASSERT_EQ(reply->children.size(), 2u);  // the comment inside, then the item
    EXPECT_EQ(reply->children[0]->value, L"inside");
    EXPECT_EQ(Text(*reply->children[1]), L"1");
    EXPECT_EQ(Text(document), L"raw <data>1");
}

TEST(XmlTest, ChildLookupIsExactAndIndexedLookupIsBounded) {
    XmlDocument document;
    ASSERT_TRUE(document.Load(L"<r><email>a@b</email><Email>c@d</Email></r>").has_value());
    const XmlNode& root = *Root(document);
    EXPECT_EQ(Text(*Child(root, L"Email")), L"c@d");
    EXPECT_EQ(Child(root, L"EMAIL"), nullptr);
    EXPECT_EQ(ChildAt(root, 0)->name, L"email");
    EXPECT_EQ(ChildAt(root, 2), nullptr);
    EXPECT_EQ(ChildAt(root, -1), nullptr);
}

TEST(XmlTest, ForceParseToleratesAClosingTagOfAnotherElement) {
    XmlDocument document(XmlParseOptions{.forceParse = true});
    ASSERT_TRUE(document.Load(L"<a><b>x</c></a>").has_value());
    EXPECT_EQ(Text(*Child(*Root(document), L"b")), L"x");
}

TEST(XmlTest, TheParseStopsAtTheFirstNul) {
    XmlDocument document;
    const std::wstring input(L"<a>kept</a>\0<b>ignored</b>", 26);
    EXPECT_EQ(document.Load(input), std::optional<std::size_t>(11));
    EXPECT_EQ(document.children.size(), 1u);
}

TEST(XmlTest, NestingBeyondTheLimitIsRefusedWithoutExhaustingTheStack) {
    auto nested = [](int depth) {
        std::wstring text;
        for (int i = 0; i < depth; ++i) text += L"<n>";
        for (int i = 0; i < depth; ++i) text += L"</n>";
        return text;
    };
    XmlDocument allowed;
    EXPECT_TRUE(allowed.Load(nested(kMaxXmlDepth)).has_value());

    XmlDocument refused;
    EXPECT_FALSE(refused.Load(nested(kMaxXmlDepth + 1)).has_value());
    EXPECT_EQ(refused.error.code, XmlErrorCode::NestedTooDeeply);

    std::wstring opened;  // a reply that would otherwise recurse a hundred thousand times
    for (int i = 0; i < 100000; ++i) opened += L"<a>";
    XmlDocument hostile;
    EXPECT_FALSE(hostile.Load(opened).has_value());
    EXPECT_EQ(hostile.error.code, XmlErrorCode::NestedTooDeeply);
}

TEST(XmlTest, SerialiseIndentsWithCrLfAndTabsAndEncodesReferences) {
    XmlDocument document;
    ASSERT_TRUE(document.Load(L"<?xml version=\"1.0\"?><root a=\"x&amp;y\"><item>1 &lt; 2</item><empty/>text</root>")
                    .has_value());
    EXPECT_EQ(Serialise(document),
              L"\r\n"
              L"\r\n<?xml version=\"1.0\" ?>"
              L"\r\n<root a=\"x&amp;y\" >"
              L"\r\n\t<item>1 &lt; 2</item>"
              L"\r\n\t<empty/>"
              L"\r\n\ttext"
              L"\r\n</root>");
}

// Replies are read from their UTF-8 bytes as they arrive: the tree, the outcome and the error must be those of the
// widened text, with positions that fall on the same characters.
TEST(XmlTest, Utf8BytesParseExactlyAsTheirWidenedText) {
    const std::string inputs[] = {
        "<?xml version=\"1.0\"?><m a=\"x&amp;y\" b=c\\ d><s>J\xc3\xbcrgen &lt; \xe6\x9d\xb1</s><e/>tail</m>",
        "<!-- c --><m><b><![CDATA[<p>3 &lt; 4</p>\xf0\x9f\x93\xa7]]></b>\r\n <x>1</x>\r\n</m>",
        "<m>\\<\\> and \\\xc3\xa9</m>",  // escapes, one before a two-byte character
        "<n\xc3\xa9>v</n\xc3\xa9>",      // a name that is not ASCII
        "<a\x80>v</a\x81>",              // malformed names that widen alike still close
        "<a>\xe2<b>x</b>\xe2\x82</a>",   // sequences cut short by the syntax
        "<a>v</a>\xe2",                  // and by the end of the text
        "<a \xe6\x9d\xb1=\"1\"></a>",    // an attribute name that is not ASCII
        "<a>x</b\xc3\xa9>",              // the mismatch error names what it read
        "<a/ >",
        "<a b></a>",
        "<!-- never ends <a/>",
        "no element",
        std::string("<a>kept</a>\0<b/>", 16),
    };
    for (const std::string& bytes : inputs) {
        SCOPED_TRACE(bytes);
        const std::wstring widened = platform::WideFromUtf8(bytes);
        XmlDocument fromText;
        XmlDocument fromBytes;
        const auto textStopped = fromText.Load(widened);
        const auto bytesStopped = fromBytes.Load(bytes);
        ASSERT_EQ(bytesStopped.has_value(), textStopped.has_value());
        if (bytesStopped) {
            EXPECT_EQ(platform::WideFromUtf8(bytes.substr(0, *bytesStopped)).size(), *textStopped);
        }
        EXPECT_EQ(Serialise(fromBytes), Serialise(fromText));
        EXPECT_EQ(fromBytes.error.occurred, fromText.error.occurred);
        EXPECT_EQ(fromBytes.error.code, fromText.error.code);
        EXPECT_EQ(fromBytes.error.message, fromText.error.message);
        if (fromBytes.error.occurred) {
            EXPECT_EQ(platform::WideFromUtf8(bytes.substr(0, fromBytes.error.position)).size(),
                      fromText.error.position);
        }
    }
}

TEST(XmlTest, TakeTextGivesWhatTextGives) {
    XmlDocument document;
    ASSERT_TRUE(document
                    .Load(L"<r><plain>abc</plain><coded>a &amp; b</coded><data><![CDATA[<p>&amp;</p>]]></data>"
                          L"<mixed>x<i>y</i>z</mixed><empty/></r>")
                    .has_value());
    for (const auto& child : Root(document)->children) {
        SCOPED_TRACE(child->name);
        const std::wstring expected = Text(*child);
        EXPECT_EQ(TakeText(*child), expected);
    }
}

TEST(XmlTest, AppendedChildrenSerialiseAsTheCredentialsFileNeedsThem) {
    XmlDocument document;
    XmlNode& list = AppendChild(document, L"credentials", L"");
    XmlNode& entry = AppendChild(list, L"item", L"");
    AppendChild(entry, L"login", L"ann@example.com");
    AppendChild(entry, L"password", L"p<w>\"d");
    EXPECT_EQ(entry.document, &document);
    EXPECT_EQ(Serialise(document),
              L"\r\n\r\n<credentials>\r\n\t<item>\r\n\t\t<login>ann@example.com</login>"
              L"\r\n\t\t<password>p&lt;w&gt;&quot;d</password>\r\n\t</item>\r\n</credentials>");
    EXPECT_EQ(Serialise(entry, XmlDisplayOptions{.newlineAndIndent = false, .encodeEntities = false}),
              L"<item><login>ann@example.com</login><password>p<w>\"d</password></item>");
}

}  // namespace
}  // namespace sealwing::xml
