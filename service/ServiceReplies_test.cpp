#include "service/ServiceReplies.h"

#include <gtest/gtest.h>

namespace sealwing::service {
namespace {

TEST(ServiceRepliesTest, AccountCheckReadsRegisteredAndPro) {
    struct Case {
        const wchar_t* reply;
        bool registered;
        bool pro;
    };
    for (const auto& c : {
             Case{L"<r><success>TRUE</success><status><acc>true</acc><type>Pro</type></status></r>", true, true},
             Case{L"<r><success>true</success><status><acc>true</acc><type>FREE</type></status></r>", true, false},
             Case{L"<r><success>true</success><status><acc>false</acc><type>pro</type></status></r>", false, false},
             Case{L"<r><success>false</success><status><acc>true</acc><type>pro</type></status></r>", false, false},
             // What the reply leaves out keeps its starting value: registered, and a type that is not "free".
             Case{L"<r><success>true</success></r>", true, true},
             Case{L"<r><success>true</success><status><acc>true</acc></status></r>", true, true},
             Case{L"<r><success>true</success><status><type>free</type></status></r>", true, false},
             // Only a reply that does not parse leaves the starting status, registered and not pro.
             Case{L"not xml at all", true, false},
         }) {
        AccountStatus status{.registered = false, .pro = true};
        ReadAccountStatus(c.reply, status);
        EXPECT_EQ(status.registered, c.registered) << c.reply;
        EXPECT_EQ(status.pro, c.pro) << c.reply;
    }
}

TEST(ServiceRepliesTest, LoginFillsTheAccountAndKeepsWhatTheReplyLacks) {
    AccountInfo info;
    info.max_recipients = 25;
    ReadAccountInfo(
        L"<account><email>ann@example.com</email><type>pro</type><first_name>A &amp; B</first_name>"
        L"<max_messages_per_day> +500 a day</max_messages_per_day><max_attachment_size>-x</max_attachment_size>"
        L"<session_id>s-1</session_id></account>",
        info);
    EXPECT_EQ(info.email, L"ann@example.com");
    EXPECT_EQ(info.first_name, L"A &amp; B");  // references stay outside the body and explanations
    EXPECT_EQ(info.max_messages_per_day, 500);
    EXPECT_EQ(info.max_attachment_size, 0);
    EXPECT_EQ(info.max_recipients, 25);
    EXPECT_EQ(info.session_id, L"s-1");
}

TEST(ServiceRepliesTest, ASessionIsAliveOnlyForExactlyTrue) {
    EXPECT_TRUE(ReadSessionAlive(L"<r><auth>true</auth></r>"));
    EXPECT_FALSE(ReadSessionAlive(L"<r><auth>True</auth></r>"));
    EXPECT_FALSE(ReadSessionAlive(L"<r></r>"));
    EXPECT_FALSE(ReadSessionAlive(L"<r"));
}

TEST(ServiceRepliesTest, ErrorExplanationsComeFromAnErrorRootOnly) {
    EXPECT_EQ(ReadErrorExplanations(L"<error><e1>Bad &amp; worse</e1><e2>Second</e2></error>"),
              (std::vector<std::wstring>{L"Bad & worse", L"Second"}));
    EXPECT_TRUE(ReadErrorExplanations(L"<errors><e1>x</e1></errors>").empty());
    EXPECT_TRUE(ReadErrorExplanations(L"").empty());
}

TEST(ServiceRepliesTest, ADownloadedMessageConvertsOnlyItsBodyBack) {
    SecureMessage message;
    ReadSecureMessage(
        L"<message><subject>Q3 &amp; Q4</subject><body>&lt;p&gt;Fish &amp; chips&lt;/p&gt;</body>"
        L"<sender_name>Ann</sender_name><sender_email>ann@example.com</sender_email><recipient>bob@example.com"
        L"</recipient><recipients><to><item>bob@example.com</item><other>skip@x</other><item>carol@example.com</item>"
        L"</to></recipients><attachments><a><id>a1</id><name>r.pdf</name><short_name>r</short_name><size>2048</size>"
        L"</a><b><id>a2</id><name>s.txt</name><size>3</size></b></attachments></message>",
        message);
    EXPECT_EQ(message.subject, L"Q3 &amp; Q4");
    EXPECT_EQ(message.body, L"<p>Fish & chips</p>");
    EXPECT_EQ(message.to, (std::vector<std::wstring>{L"bob@example.com", L"carol@example.com"}));
    EXPECT_TRUE(message.cc.empty());
    ASSERT_EQ(message.attachments.size(), 2u);
    EXPECT_EQ(message.attachments[0].id, L"a1");
    EXPECT_EQ(message.attachments[0].size, 2048);
    EXPECT_EQ(message.attachments[1].name, L"s.txt");
}

TEST(ServiceRepliesTest, VersionTextGivesMajorAndMinor) {
    struct Case {
        const wchar_t* text;
        int major;
        int minor;
    };
    for (const auto& c : {Case{L"1.39", 1, 39}, Case{L"2", 2, 2}, Case{L"1.10", 1, 10}, Case{L"", 0, 0}}) {
        VersionInfo version;
        ReadVersionInfo(std::wstring(L"<v><version>") + c.text + L"</version><date>2026-11-30</date></v>", version);
        EXPECT_EQ(version.major, c.major) << c.text;
        EXPECT_EQ(version.minor, c.minor) << c.text;
        EXPECT_EQ(version.date, L"2026-11-30");
    }
}

TEST(ServiceRepliesTest, IntegersStopAtTheFirstOtherCharacterAndSaturate) {
    EXPECT_EQ(ParseInteger(L"  -42kB"), -42);
    EXPECT_EQ(ParseInteger(L"abc"), 0);
    EXPECT_EQ(ParseInteger(L"99999999999"), 2147483647);
    EXPECT_EQ(ParseInteger(L"-99999999999"), -2147483647 - 1);
}

}  // namespace
}  // namespace sealwing::service
