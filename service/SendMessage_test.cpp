#include "service/SendMessage.h"

#include <gtest/gtest.h>

#include "platform/Text.h"
#include "platform/Threads.h"
#include "platform/posix/TextAnsi.h"
#include "service/ServiceOperations.h"
#include "tests/LocalServiceTest.h"

namespace sealwing::service {
namespace {

using localservice::Endpoint;
using localservice::Fault;
using testing::kAnnPassword;
using testing::kAnnPasswordUtf8;

class SendMessageTest : public testing::LocalServiceTest {
protected:
    SendMessageTest() { diagnostics::OpenThreadLog(L"Main"); }

    static OutgoingMessage Message() {
        OutgoingMessage message;
        message.settings.destruct = settings::AccountSettings::kNoExpiry;
        message.email = L"ann@example.com";
        message.recipients = L"bob@example.com;carol@example.com";
        message.subject = L"Caf\u00E9 & more";
        message.body = L"<p>Hello\r\n\"there\"</p>";
        return message;
    }
    static std::string Log() { return diagnostics::CollectAllLogs(); }
};

TEST_F(SendMessageTest, AMessageWithoutAttachmentsArrivesAsTheOwnWritersBodyByteForByte) {
    CacheAnnsPassword();
    service_.State().AddAccount({.email = "j\xC3\xBCrgen@example.com", .password = kAnnPasswordUtf8});
    settings::PasswordCache::Instance().SetPassword(L"j\u00FCrgen@example.com", kAnnPassword);
    OutgoingMessage message = Message();
    message.email = L"j\u00FCrgen@example.com";
    message.recipients_bcc = L"dave@example.com";
    message.settings.alert = 1;
    message.settings.destruct = 0;

    std::wstring errorText = L"stale";
    ASSERT_EQ(SendMessage(message, errorText), ServiceResult::Success) << platform::Utf8FromWide(errorText);
    EXPECT_EQ(errorText, L"");

    const std::string b = "---------------------------7d434218508bc";
    auto field = [&](const std::string& name, const std::string& value) {
        return "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n--" + b;
    };
    const std::string expected =
        "--" + b + field("message", "<p>Hello\r\n\"there\"</p>") + field("email", "j\xC3\xBCrgen@example.com") +
        field("recipients", "bob@example.com;carol@example.com") + field("recipients_bcc", "dave@example.com") +
        field("subject", "Caf\xC3\xA9 & more") + field("notify", "1") + field("expires", "0") + "--\r\n";
    const auto requests = service_.Requests().All();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].body, expected);
    EXPECT_EQ(requests[0].Header("Content-Type"), std::optional<std::string>("multipart/form-data; boundary=" + b));
    EXPECT_EQ(service_.State().Messages().at(0).bcc, std::vector<std::string>{"dave@example.com"});

    const std::string log = Log();
    EXPECT_NE(log.find("[NETWORK] Sending message. User j\xC3\xBCrgen@example.com, 0 attachments, body size 21, "
                       "total attachment size 0\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Error code 0, response 200\n"), std::string::npos) << log;
}

// Here the ANSI code page is UTF-8, which would hide a field sent in the wrong one: a stand-in code page tells them
// apart.
TEST_F(SendMessageTest, TheFormEngineSendsTheAddressesInTheAnsiCodePageAndTheTextInUtf8) {
    const platform::ScopedLatin1AnsiCodePage latin1;
    CacheAnnsPassword();
    OutgoingMessage message = Message();
    message.recipients = L"b\u00F6b@example.com";
    message.recipients_cc = L"z\u00E9@example.com";
    message.recipients_bcc = L"\u00E5sa@example.com";
    message.body = L"Gr\u00FC\u00DFe";
    message.attachments = {{L"\u00E9t\u00E9.txt", "x"}};

    std::wstring errorText;
    ASSERT_EQ(SendMessage(message, errorText), ServiceResult::Success) << platform::Utf8FromWide(errorText);

    const std::vector<localservice::StoredMessage> stored = service_.State().Messages();
    ASSERT_EQ(stored.size(), 1U);
    const std::vector<localservice::FormPart>& form = stored[0].form;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"message",
         "Gr\xC3\xBC\xC3\x9F"
         "e"},
        {"email", "ann@example.com"},
        {"recipients",
         "b\xF6"
         "b@example.com"},
        {"recipients_cc", "z\xE9@example.com"},
        {"recipients_bcc", "\xE5sa@example.com"},
        {"subject", "Caf\xC3\xA9 & more"},
        {"0", "x"},
    };
    ASSERT_EQ(form.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(form[i].name, expected[i].first);
        EXPECT_EQ(form[i].content, expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(form.back().fileName, "\xC3\xA9t\xC3\xA9.txt") << "file names go in UTF-8";
}

TEST_F(SendMessageTest, AMessageWithAttachmentsGoesThroughTheFormEngineWithEveryPartIntact) {
    CacheAnnsPassword();
    OutgoingMessage message = Message();
    message.recipients_cc = L"erin@example.com";
    message.googleApps = true;  // asks for a copy whatever the account's CC setting
    message.settings.destruct = 14;
    message.attachments = {{L"r\u00E9sum\u00E9.pdf", std::string("%PDF\0\r\n--x\xFF", 11)}};

    std::wstring errorText;
    ASSERT_EQ(SendMessage(message, errorText), ServiceResult::Success) << platform::Utf8FromWide(errorText);

    const std::vector<localservice::StoredMessage> stored = service_.State().Messages();
    ASSERT_EQ(stored.size(), 1U);
    struct Expected {
        const char* name;
        std::string content;
        const char* fileName;
    };
    const std::vector<Expected> expected = {
        {"message", "<p>Hello\r\n\"there\"</p>", ""},
        {"email", "ann@example.com", ""},
        {"recipients", "bob@example.com;carol@example.com", ""},
        {"recipients_cc", "erin@example.com", ""},
        {"subject", "Caf\xC3\xA9 & more", ""},
        {"copy_me", "1", ""},
        {"expires", "14", ""},
        {"0", std::string("%PDF\0\r\n--x\xFF", 11), "r\xC3\xA9sum\xC3\xA9.pdf"},
    };
    const std::vector<localservice::FormPart>& form = stored[0].form;
    ASSERT_EQ(form.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(form[i].name, expected[i].name);
        EXPECT_EQ(form[i].content, expected[i].content) << expected[i].name;
        EXPECT_EQ(form[i].fileName, expected[i].fileName);
    }
    EXPECT_EQ(form.back().contentType, "application/octet-stream");

    const std::string log = Log();
    EXPECT_NE(log.find("[NETWORK] Sending message. User ann@example.com, 1 attachment, body size 21, "
                       "total attachment size 11\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("CURL error code 0, response 200\n"), std::string::npos) << log;
}

// Both engines map the service's answers alike.
TEST_F(SendMessageTest, TheServicesAnswersBecomeResultsAndTexts) {
    CacheAnnsPassword();
    struct Case {
        const char* name;
        Fault fault;
        ServiceResult result;
        const wchar_t* text;
    };
    const std::vector<Case> cases = {
        {"unauthorised", Fault{.status = 401}, ServiceResult::NotAuthorised, L""},
        {"server error", Fault{.status = 500, .body = "<error><e>hidden</e></error>"}, ServiceResult::Failed,
         kUnexpectedErrorText},
        {"refused", Fault{.status = 400, .body = "<error><e1>Bad &amp; worse</e1><e2>Second</e2></error>"},
         ServiceResult::Failed, L"Bad & worse;Second"},
        {"not an error reply", Fault{.status = 403, .body = "<html>no</html>"}, ServiceResult::Failed, L""},
        {"not found", Fault{.status = 404}, ServiceResult::Failed, L""},
    };
    for (const bool withAttachment : {false, true}) {
        OutgoingMessage message = Message();
        if (withAttachment) message.attachments = {{L"a.txt", "abc"}};
        for (const Case& c : cases) {
            service_.Faults().Set(Endpoint::Send, c.fault);
            std::wstring errorText = L"stale";
            EXPECT_EQ(SendMessage(message, errorText), c.result) << c.name << withAttachment;
            EXPECT_EQ(errorText, c.text) << c.name << withAttachment;
        }
    }
    EXPECT_NE(Log().find("Response error explanation - Bad & worse;Second\n"), std::string::npos);
    EXPECT_TRUE(service_.State().Messages().empty());
}

TEST_F(SendMessageTest, AnUnreachableServiceAndAMissingPasswordAreToldApart) {
    std::wstring errorText;
    EXPECT_EQ(SendMessage(Message(), errorText), ServiceResult::NotAuthorised);  // nothing cached: nothing sent
    EXPECT_EQ(service_.Requests().Count(), 0U);

    CacheAnnsPassword();
    const int port = service_.Port();
    service_.Stop();
    ScopedServiceEndpoint nobody(ServiceEndpoint{.host = "localhost", .port = port});
    for (const bool withAttachment : {false, true}) {
        OutgoingMessage message = Message();
        if (withAttachment) message.attachments = {{L"a.txt", "abc"}};
        EXPECT_EQ(SendMessage(message, errorText), ServiceResult::Failed);
        EXPECT_EQ(errorText, kConnectionFailedText);
    }
}

class AttachmentAndReportTest : public testing::LocalServiceTest {};

TEST_F(AttachmentAndReportTest, AnAttachmentIsItsBytesAndAFailureItsExplanations) {
    CacheAnnsPassword();
    localservice::StoredMessage stored;
    stored.id = "m1";
    stored.senderEmail = "bob@example.com";
    stored.to = {"ann@example.com"};
    stored.attachments = {{.id = "a/1", .name = "r.bin", .content = std::string("\0\xFF<error/>", 10)}};
    service_.State().StoreMessage(stored);
    diagnostics::OpenThreadLog(L"Main");

    std::size_t progressBytes = 0;
    const AttachmentDownload found = DownloadAttachment(
        L"m1", L"a/1", L"ann@example.com", [&](std::size_t bytes) { progressBytes += bytes; }, nullptr);
    EXPECT_EQ(found.result, ServiceResult::Success);
    EXPECT_EQ(found.content, std::string("\0\xFF<error/>", 10));
    EXPECT_EQ(progressBytes, 10U);
    const std::string log = diagnostics::CollectAllLogs();
    EXPECT_NE(log.find("[NETWORK] Downloading attachment. User - ann@example.com, id - m1, attachment - a/1\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Error 0, response 200\n. 10 bytes downloaded\n"), std::string::npos) << log;

    const AttachmentDownload missing = DownloadAttachment(L"m1", L"a2", L"ann@example.com", {}, nullptr);
    EXPECT_EQ(missing.result, ServiceResult::NotFound);
    EXPECT_EQ(missing.content, "");
    EXPECT_EQ(missing.explanations, std::vector<std::wstring>{L"Attachment not found"});

    platform::Event cancel(platform::Event::Reset::Manual, true);
    const AttachmentDownload cancelled = DownloadAttachment(L"m1", L"a/1", L"ann@example.com", {}, &cancel);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(cancelled.result, ServiceResult::Failed);
}

// Written to its file as it arrives; whatever goes wrong, a failure, a cancel, a file that cannot be written, leaves
// no file behind.
TEST_F(AttachmentAndReportTest, AnAttachmentStreamsIntoItsFileAndAFailureLeavesNone) {
    CacheAnnsPassword();
    const std::string content(100000, 'x');
    localservice::StoredMessage stored;
    stored.id = "m1";
    stored.senderEmail = "bob@example.com";
    stored.to = {"ann@example.com"};
    stored.attachments = {{.id = "a1", .name = "big.bin", .content = content},
                          {.id = "e", .name = "empty", .content = ""}};
    service_.State().StoreMessage(stored);
    service_.Faults().Set(Endpoint::Attachment, Fault{.chunkSize = 8192, .times = 1});
    diagnostics::OpenThreadLog(L"Main");
    const std::wstring folder = temp_.Path() + L"/local";

    std::size_t progressBytes = 0;
    const auto counted = [&](std::size_t bytes) { progressBytes += bytes; };
    const AttachmentFileDownload found =
        DownloadAttachmentToFile(L"m1", L"a1", L"ann@example.com", folder + L"/big.bin", counted, nullptr);
    EXPECT_EQ(found.result, ServiceResult::Success);
    EXPECT_EQ(found.size, content.size());
    EXPECT_EQ(progressBytes, content.size());
    EXPECT_EQ(files_.ReadFile(folder + L"/big.bin").bytes, content);
    EXPECT_NE(diagnostics::CollectAllLogs().find("Error 0, response 200\n. 100000 bytes downloaded\n"),
              std::string::npos);
    const AttachmentFileDownload empty =
        DownloadAttachmentToFile(L"m1", L"e", L"ann@example.com", folder + L"/empty", {}, nullptr);
    EXPECT_EQ(empty.result, ServiceResult::Success);
    EXPECT_TRUE(files_.ReadFile(folder + L"/empty").ok) << "an empty attachment is an empty file";

    platform::Event cancel(platform::Event::Reset::Manual, true);
    struct Case {
        const char* what;
        std::wstring id;
        std::wstring path;
        platform::Event* cancel;
        ServiceResult result;
        std::vector<std::wstring> explanations;
    };
    const Case cases[] = {
        {"not found", L"a2", folder + L"/missing.bin", nullptr, ServiceResult::NotFound, {L"Attachment not found"}},
        {"cancelled", L"a1", folder + L"/cancelled.bin", &cancel, ServiceResult::Failed, {}},
        {"taken name", L"a1", folder + L"/big.bin", nullptr, ServiceResult::Failed, {}},
        {"no folder", L"a1", folder + L"/none/x.bin", nullptr, ServiceResult::Failed, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const AttachmentFileDownload failed =
            DownloadAttachmentToFile(L"m1", c.id, L"ann@example.com", c.path, {}, c.cancel);
        EXPECT_EQ(failed.result, c.result);
        EXPECT_EQ(failed.cancelled, c.cancel != nullptr);
        EXPECT_EQ(failed.explanations, c.explanations);
    }
    EXPECT_FALSE(files_.ReadFile(folder + L"/missing.bin").opened);
    EXPECT_FALSE(files_.ReadFile(folder + L"/cancelled.bin").opened);
    EXPECT_EQ(files_.ReadFile(folder + L"/big.bin").bytes, content) << "a taken name is left as it was";

    // The reply breaks off half-way: the part written is removed.
    service_.Faults().Set(Endpoint::Attachment, Fault{.drop = localservice::Drop::DuringBody});
    const AttachmentFileDownload dropped =
        DownloadAttachmentToFile(L"m1", L"a1", L"ann@example.com", folder + L"/dropped.bin", {}, nullptr);
    EXPECT_EQ(dropped.result, ServiceResult::Failed);
    EXPECT_FALSE(files_.ReadFile(folder + L"/dropped.bin").opened);
}

TEST_F(AttachmentAndReportTest, ALogReportArrivesAsItsTextAndAnUnreachableServiceGivesTheEngineCode) {
    const LogReportReply sent = SubmitLogReport("Activity log\r\n\xC3\xA4 line\r\n");
    EXPECT_EQ(sent.engineCode, 0);
    EXPECT_EQ(sent.status, 200U);
    EXPECT_EQ(service_.State().LogReports(), std::vector<std::string>{"Activity log\r\n\xC3\xA4 line\r\n"});
    const auto requests = service_.Requests().All();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_FALSE(requests[0].Header("Authorization"));

    service_.Faults().Set(Endpoint::LogReport, Fault{.status = 500});
    EXPECT_EQ(SubmitLogReport("x").status, 500U);

    const int port = service_.Port();
    service_.Stop();
    ScopedServiceEndpoint nobody(ServiceEndpoint{.host = "localhost", .port = port});
    const LogReportReply refused = SubmitLogReport("x");
    EXPECT_EQ(refused.engineCode, platform::kFormEngineCannotConnect);
    EXPECT_EQ(refused.status, 0U);
}

}  // namespace
}  // namespace sealwing::service
