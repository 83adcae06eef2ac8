#include "reading/ReplyTemplate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>

namespace sealwing::reading {
namespace {

std::string TemplateFile() {
    std::ifstream file(std::string(SEALWING_RESOURCES_DIR) + "/ReplyTemplate.html", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::size_t Count(std::wstring_view text, std::wstring_view part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::wstring_view::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

service::SecureMessage Message() {
    service::SecureMessage message;
    message.body = L"<p>The real content</p>";
    message.subject = L"Q3 figures";
    message.sender_name = L"Eve Sender";
    message.sender_email = L"eve@sender.example";
    message.recipient = L"ann@example.com";
    message.to = {L"ann@example.com", L"bob@example.com"};
    return message;
}

TEST(ReplyTemplateTest, TheResourceIs1639BytesOfAsciiWithCrLfAndEveryPlaceholder) {
    const std::string bytes = TemplateFile();
    ASSERT_EQ(bytes.size(), 1639u);
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        ASSERT_LT(byte, 0x80u) << "at " << at;
        if (byte == '\n') {
            ASSERT_TRUE(at > 0 && bytes[at - 1] == '\r') << "bare LF at " << at;
        }
        if (byte == '\r') {
            ASSERT_TRUE(at + 1 < bytes.size() && bytes[at + 1] == '\n') << "bare CR at " << at;
        }
    }
    EXPECT_TRUE(bytes.ends_with("</html>\r\n"));
    for (const char* placeholder : {"%NAME_FROM%", "%EMAIL_FROM%", "%DATE_SENT%", "%RECIPIENT%", "%START_CC%", "%CC%",
                                    "%END_CC%", "%SUBJECT%", "%BODY%"}) {
        EXPECT_NE(bytes.find(placeholder), std::string::npos) << placeholder;
    }
    EXPECT_NE(bytes.find("charset=windows-1251"), std::string::npos);
    EXPECT_NE(bytes.find("Microsoft Word 14 (filtered)"), std::string::npos);

    // What the add-in fills is the file's bytes, widened.
    EXPECT_EQ(LoadReplyTemplate(), std::wstring(bytes.begin(), bytes.end()));
}

TEST(ReplyTemplateTest, TheHeaderBlockQuotesTheMessageAndItsBodyFollows) {
    const std::wstring filled =
        FillReplyTemplate(LoadReplyTemplate(), Message(), L"Thursday, December 10, 2026 3:04 AM");

    EXPECT_NE(filled.find(L"From:</span></b><span style='font-size:10.0pt;font-family:\"Tahoma\",\"sans-serif\"'> "
                          L"Eve Sender [mailto:eve@sender.example]<br>\r\n"
                          L"<b>Sent:</b> Thursday, December 10, 2026 3:04 AM<br>\r\n"
                          L"<b>To:</b> ann@example.com, bob@example.com<br>\r\n"
                          L"<b>Subject:</b> Q3 figures</span></p>"),
              std::wstring::npos)
        << filled;
    EXPECT_NE(filled.find(L"\r\n<p>The real content</p>\r\n"), std::wstring::npos);
    // Without CC entries the line is gone, and so is every trace of its markers.
    EXPECT_EQ(filled.find(L"CC"), std::wstring::npos);
    for (const wchar_t* placeholder : {L"%NAME_FROM%", L"%EMAIL_FROM%", L"%DATE_SENT%", L"%RECIPIENT%", L"%START_CC%",
                                       L"%CC%", L"%END_CC%", L"%SUBJECT%", L"%BODY%"}) {
        EXPECT_EQ(filled.find(placeholder), std::wstring::npos) << placeholder;
    }
}

TEST(ReplyTemplateTest, CcEntriesKeepTheLineWithoutItsMarkersAndNoToListTakesTheRecipientText) {
    service::SecureMessage message = Message();
    message.cc = {L"cy@example.com", L"dee@example.com"};
    message.to.clear();

    const std::wstring filled = FillReplyTemplate(LoadReplyTemplate(), message, L"then");

    EXPECT_NE(filled.find(L"<b>To:</b> ann@example.com<br>\r\n<b>CC:</b> cy@example.com, dee@example.com<br>\r\n"
                          L"<b>Subject:</b> Q3 figures"),
              std::wstring::npos)
        << filled;
    EXPECT_EQ(filled.find(L"_CC%"), std::wstring::npos);
}

// Values go in as they are: HTML stays HTML, and a value that looks like a placeholder is neither filled again nor
// taken for the CC line's markers.
TEST(ReplyTemplateTest, ValuesAreInsertedOnceAndUnescaped) {
    service::SecureMessage message = Message();
    message.sender_name = L"R&D <lab> %END_CC% %BODY%";
    message.subject = L"%SUBJECT% %CC% 100%";
    message.body = L"<b>%NAME_FROM%</b>";
    message.to = {L"%RECIPIENT%"};

    for (const bool withCc : {false, true}) {
        message.cc = withCc ? std::vector<std::wstring>{L"%START_CC%"} : std::vector<std::wstring>{};
        const std::wstring filled = FillReplyTemplate(LoadReplyTemplate(), message, L"%DATE_SENT%");

        EXPECT_NE(filled.find(L"> R&D <lab> %END_CC% %BODY% [mailto:eve@sender.example]<br>\r\n"
                              L"<b>Sent:</b> %DATE_SENT%<br>\r\n<b>To:</b> %RECIPIENT%<br>\r\n" +
                              std::wstring(withCc ? L"<b>CC:</b> %START_CC%<br>\r\n" : L"") +
                              L"<b>Subject:</b> %SUBJECT% %CC% 100%</span></p>"),
                  std::wstring::npos)
            << filled;
        EXPECT_EQ(Count(filled, L"%BODY%"), 1u);
        EXPECT_EQ(Count(filled, L"<b>%NAME_FROM%</b>"), 1u);
    }
}

TEST(ReplyTemplateTest, EveryOccurrenceOfAPlaceholderIsFilledAndAStrayPercentStays) {
    EXPECT_EQ(FillReplyTemplate(L"%SUBJECT%|%SUBJECT%|50% %SUBJ%|%", Message(), L""),
              L"Q3 figures|Q3 figures|50% %SUBJ%|%");
}

TEST(ReplyTemplateTest, SentDatesReadAsOutlookWritesThem) {
    const struct {
        double date;
        const wchar_t* text;
    } cases[] = {
        {46366.0 + (3 * 3600 + 4 * 60 + 5) / 86400.0, L"Thursday, December 10, 2026 3:04 AM"},
        {40000.5, L"Monday, July 06, 2009 12:00 PM"},
        {0.0, L"Saturday, December 30, 1899 12:00 AM"},
        {36531.0 + (23 * 3600 + 59 * 60 + 59.6) / 86400.0, L"Friday, January 07, 2000 12:00 AM"},  // rounded up
        {36531.0 + (13 * 3600 + 7 * 60 + 29) / 86400.0, L"Thursday, January 06, 2000 1:07 PM"},
        {-1.25, L"Friday, December 29, 1899 6:00 AM"},  // before day 0 the fraction still runs forward
        {outlook::kNoDate, L"Saturday, January 01, 4501 12:00 AM"},
        {std::nan(""), L""},
        {3e6, L""},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatSentDate(c.date), c.text) << c.date;
}

}  // namespace
}  // namespace sealwing::reading
