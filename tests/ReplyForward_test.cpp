#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "addin/SealwingAddin.h"
#include "platform/Text.h"
#include "reading/DownloadAttachmentsDialogTemplate.h"
#include "reading/ResponseProcessing.h"
#include "settings/PasswordCache.h"
#include "sim/DialogScreen.h"
#include "tests/FaultMatrix.h"
#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

constexpr const wchar_t* kUser = L"ann@example.com";
constexpr const wchar_t* kSecureHeaders =
    L"From: eve@sender.example\r\nX-Parcelon-Message-Id: msg-7\r\nSubject: [Secure Message] Q3\r\n";
constexpr const wchar_t* kOutlooksBody = L"<p>-----Original Message----- the notice</p>";
constexpr double kSentOn = 46366.0 + 14.5 / 24.0;  // Thursday, 10 December 2026, 2:30 PM

// Reply and forward of a secure message in a connected add-in: the message is the service's, the received notice and
// the response are Outlook's.
class ResponseTest : public ::testing::TestWithParam<int> {
protected:
    ResponseTest() : world_(GetParam()) {
        world_.Service().State().AddAccount({.email = "ann@example.com", .password = "pw", .type = "pro"});
        settings::PasswordCache::Instance().SetPassword(kUser, L"pw");
        world_.Outlook().OpenExplorer();
        EXPECT_EQ(addin_.OnConnection(world_.Outlook().Application(), outlook::ext_cm_Startup), 0);
    }
    ~ResponseTest() override { addin_.OnDisconnection(outlook::ext_dm_HostShutdown); }

    void Store(localservice::StoredMessage message) {
        message.id = "msg-7";
        world_.Service().State().StoreMessage(std::move(message));
    }
    static localservice::StoredMessage Original() {
        localservice::StoredMessage message;
        message.senderEmail = "eve@sender.example";
        message.senderName = "R&D <Eve> %END_CC%";
        message.subject = "%SUBJECT% Q3";
        message.body = "<p>The real figures</p>";
        message.to = {"ann@example.com", "bob@example.com", "cy@example.com"};
        return message;
    }
    outlook::Ref<sim::SimMailItem> Received(const wchar_t* headers = kSecureHeaders) {
        return world_.Outlook().AddReceivedMail({.subject = L"[Secure Message] Q3",
                                                 .to = {kUser, L"bob@example.com", L"cy@example.com"},
                                                 .transportHeaders = std::wstring(headers),
                                                 .sentOn = kSentOn});
    }
    // A response as Outlook prepares it: its subject, the notice quoted, the recipients resolved.
    outlook::Ref<sim::SimMailItem> Response(const std::vector<std::wstring>& recipients,
                                            const wchar_t* subject = L"RE: [Secure Message] Q3") {
        auto response = world_.Outlook().CreateMailItem();
        response->SetSubject(subject);
        response->SetHTMLBody(kOutlooksBody);
        for (const auto& address : recipients) response->Recipients()->Add(address)->Resolve();
        return response;
    }
    static std::vector<std::wstring> Addresses(const outlook::Ref<sim::SimMailItem>& item) {
        std::vector<std::wstring> addresses;
        const auto recipients = item->Recipients();
        for (int index = 1; index <= recipients->Count(); ++index) {
            addresses.push_back(recipients->Item(index)->Address());
        }
        return addresses;
    }
    // The response's window opens, and is activated as it opens; Outlook 2003 gets its body 100 ms later.
    void Open(const outlook::Ref<sim::SimMailItem>& response) {
        world_.Outlook().OpenInspector(response);
        if (GetParam() != 11) return;
        auto& loop = world_.Outlook().Loop();
        world_.Clock().Advance(99);
        loop.RunPending();
        EXPECT_EQ(response->HTMLBody(), kOutlooksBody) << "Outlook 2003's body waits for its timer";
        world_.Clock().Advance(1);
        loop.RunPending();
    }
    std::size_t MessageRequests() {
        std::size_t count = 0;
        for (const auto& request : world_.Service().Requests().All()) {
            count += request.target.find("rest/message/") != std::string::npos ? 1 : 0;
        }
        return count;
    }

    testing::OutlookWorld world_;
    CSealwingAddin addin_;
};

TEST_P(ResponseTest, ReplyAllLeavesOutTheUserAndTheActivatedWindowQuotesTheRealMessage) {
    Store(Original());
    const auto received = Received();
    const auto reply = Response({kUser, L"bob@example.com", kUser, L"cy@example.com"});

    ASSERT_TRUE(reading::ProcessReply(addin_, received, reply));

    EXPECT_EQ(Addresses(reply), (std::vector<std::wstring>{L"bob@example.com", L"cy@example.com"}));
    EXPECT_TRUE(addin_.HasPendingResponse());
    EXPECT_EQ(reply->HTMLBody(), kOutlooksBody);
    EXPECT_TRUE(world_.Outlook().User().Shown().empty());

    Open(reply);

    EXPECT_FALSE(addin_.HasPendingResponse());
    EXPECT_EQ(reply->Subject(), L"RE: Q3");
    const std::wstring html = reply->HTMLBody();
    // Values go in once and as they are, whatever they look like: the service sends the name with its markup
    // already written as entity references, which are not escaped a second time.
    EXPECT_NE(html.find(L"> R&amp;D &lt;Eve&gt; %END_CC% [mailto:eve@sender.example]<br>\r\n"
                        L"<b>Sent:</b> Thursday, December 10, 2026 2:30 PM<br>\r\n"
                        L"<b>To:</b> ann@example.com, bob@example.com, cy@example.com<br>\r\n"
                        L"<b>Subject:</b> %SUBJECT% Q3</span></p>"),
              std::wstring::npos)
        << platform::Utf8FromWide(html);
    EXPECT_TRUE(html.ends_with(L"</div>\r\n\r\n<p>The real figures</p>\r\n\r\n</body>\r\n\r\n</html>\r\n"));
    EXPECT_EQ(html.find(L"CC:"), std::wstring::npos);
    EXPECT_EQ(html.find(L"&amp;amp;"), std::wstring::npos);
    EXPECT_EQ(html.find(kOutlooksBody), std::wstring::npos);
    const std::string log = world_.LogFile("Main");
    EXPECT_NE(log.find("Processing reply"), std::string::npos);
    EXPECT_NE(log.find("Inspector activated"), std::string::npos);
    EXPECT_EQ(log.find("[ERROR] COM exception"), std::string::npos) << log;

    // Once only: what the user writes next stays.
    reply->SetHTMLBody(L"<p>typed</p>");
    world_.Clock().Advance(200);
    world_.Outlook().Loop().RunPending();
    EXPECT_EQ(reply->HTMLBody(), L"<p>typed</p>");
}

TEST_P(ResponseTest, APlainReplyKeepsItsOneRecipientEvenWhenItIsTheUser) {
    localservice::StoredMessage original = Original();
    original.cc = {"dee@example.com", "eli@example.com"};
    Store(original);
    const auto reply = Response({kUser});

    ASSERT_TRUE(reading::ProcessReply(addin_, Received(), reply));
    Open(reply);

    EXPECT_EQ(Addresses(reply), std::vector<std::wstring>{kUser});
    EXPECT_NE(reply->HTMLBody().find(L"<br>\r\n<b>CC:</b> dee@example.com, eli@example.com<br>\r\n<b>Subject:</b>"),
              std::wstring::npos);
}

// Only one response is pending at a time: a second one opens as Outlook made it, and the first keeps its turn.
TEST_P(ResponseTest, ASecondReplyBeforeTheFirstWindowOpensKeepsOutlooksBody) {
    Store(Original());
    const auto received = Received();
    const auto first = Response({L"eve@sender.example"});
    const auto second = Response({L"eve@sender.example"}, L"RE: [Secure Message] Q3 again");

    ASSERT_TRUE(reading::ProcessReply(addin_, received, first));
    ASSERT_TRUE(reading::ProcessReply(addin_, received, second));
    world_.Outlook().OpenInspector(second);
    world_.Clock().Advance(100);
    world_.Outlook().Loop().RunPending();

    EXPECT_EQ(second->HTMLBody(), kOutlooksBody);
    EXPECT_EQ(second->Subject(), L"RE: [Secure Message] Q3 again");
    EXPECT_TRUE(addin_.HasPendingResponse());

    Open(first);
    EXPECT_NE(first->HTMLBody().find(L"<p>The real figures</p>"), std::wstring::npos);
}

// The user is told once; the response still opens, with the template filled from nothing.
TEST_P(ResponseTest, ADownloadFailureIsShownAndTheReplyGoesOnWithAnEmptyMessage) {
    Store(Original());
    const struct {
        localservice::Fault fault;
        const wchar_t* text;
    } cases[] = {
        {{.explanations = {"Message expired", "Ask the sender again"}},
         L"Unable to download original encrypted message.\nMessage expired\nAsk the sender again"},
        {{.status = 500},
         L"Unable to download original encrypted message.\nIf the problem persists please contact support"},
    };
    for (const auto& c : cases) {
        world_.Service().Faults().Set(localservice::Endpoint::Message, c.fault);
        const std::size_t shown = world_.Outlook().User().Shown().size();
        const auto reply = Response({L"eve@sender.example"});

        ASSERT_TRUE(reading::ProcessReply(addin_, Received(), reply));
        Open(reply);

        const auto& boxes = world_.Outlook().User().Shown();
        ASSERT_EQ(boxes.size(), shown + 1);
        const auto& box = boxes.back().request;
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.caption, L"Parcelon for Microsoft Outlook");
        EXPECT_EQ(box.icon, platform::MessageBoxIcon::Warning);
        EXPECT_EQ(box.buttons, platform::MessageBoxButtons::Ok);
        EXPECT_TRUE(box.taskModal);
        EXPECT_EQ(box.owner, platform::kNoWindow);
        const std::wstring html = reply->HTMLBody();
        EXPECT_NE(html.find(L"From:</span></b><span style='font-size:10.0pt;font-family:\"Tahoma\",\"sans-serif\"'>  "
                            L"[mailto:]<br>"),
                  std::wstring::npos)
            << platform::Utf8FromWide(html);
        EXPECT_EQ(html.find(L"The real figures"), std::wstring::npos);
    }
}

// The download runs on Outlook's thread, so a service that never answers may hold it only until the request's limit:
// then the failure is shown and the reply goes on.
TEST_P(ResponseTest, AServiceThatNeverAnswersHoldsOutlooksThreadOnlyUntilTheRequestsLimit) {
    Store(Original());
    const service::ScopedRequestLimits limits(testing::kShortLimits);
    const auto gate = world_.Service().Faults().Hold(localservice::Endpoint::Message);
    const std::size_t shown = world_.Outlook().User().Shown().size();
    const auto reply = Response({L"eve@sender.example"});

    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(reading::ProcessReply(addin_, Received(), reply));
    Open(reply);
    const auto took = std::chrono::steady_clock::now() - start;
    gate->Release();

    EXPECT_GE(took, testing::kShortLimits.request.total) << "the service did not hold the download";
    EXPECT_LT(took, testing::kShortLimits.request.total + std::chrono::seconds(5));
    ASSERT_EQ(world_.Outlook().User().Shown().size(), shown + 1);
    EXPECT_EQ(world_.Outlook().User().Shown().back().request.text,
              L"Unable to download original encrypted message.\nIf the problem persists please contact support");
    EXPECT_EQ(MessageRequests(), 1u);
}

TEST_P(ResponseTest, AMessageWithoutTheServicesIdIsLeftToOutlook) {
    const auto received = Received(L"From: eve@sender.example\r\nSubject: x-parcelon-message-id: msg-7\r\n");
    const auto reply = Response({kUser, L"bob@example.com"});
    const auto forward = Response({}, L"FW: [Secure Message] Q3");

    EXPECT_TRUE(reading::ProcessReply(addin_, received, reply));
    EXPECT_TRUE(reading::ProcessForward(addin_, received, forward, addin_.OwnerWindow()));
    Open(reply);

    EXPECT_FALSE(addin_.HasPendingResponse());
    EXPECT_EQ(Addresses(reply), (std::vector<std::wstring>{kUser, L"bob@example.com"}));
    EXPECT_EQ(reply->HTMLBody(), kOutlooksBody);
    EXPECT_EQ(reply->Subject(), L"RE: [Secure Message] Q3");
    EXPECT_EQ(MessageRequests(), 0u);
    EXPECT_EQ(testing::Occurrences(world_.LogFile("Main"), "Non-secure message. Skipping\n"), 2u);

    // Without both items there is nothing to work on: the caller cancels Outlook's response.
    EXPECT_FALSE(reading::ProcessReply(addin_, nullptr, reply));
    EXPECT_FALSE(reading::ProcessForward(addin_, received, nullptr, platform::kNoWindow));
}

// An automation error while the window completes is logged as the handler's line; the response stays as it was.
TEST_P(ResponseTest, AFailureToSetTheBodyIsLogged) {
    Store(Original());
    const auto reply = Response({L"eve@sender.example"});
    ASSERT_TRUE(reading::ProcessReply(addin_, Received(), reply));
    world_.Outlook().FailMember(L"MailItem.SetHTMLBody", static_cast<outlook::HResult>(0x80004005), L"Busy", 1);

    Open(reply);

    EXPECT_EQ(reply->HTMLBody(), kOutlooksBody);
    EXPECT_EQ(
        testing::Occurrences(world_.LogFile("Main"), "[ERROR] COM exception. Code 80004005. Description \"Busy\"\n"),
        1u);
}

// Forward with the message's attachments: up to 200 KiB they come along at once; above it the user decides, and a
// yes brings the progress dialog over the main window.
class ForwardTest : public ResponseTest {};

TEST_P(ForwardTest, AttachmentsUpTo204800BytesComeWithoutAskingAndLargerOnesOnlyWhenWanted) {
    const struct {
        const char* id;
        int lastSize;
        std::optional<platform::DialogResult> answer;  // nothing: not asked
        std::size_t attached;
    } cases[] = {
        {"msg-at-limit", 800, std::nullopt, 2},
        {"msg-above-no", 801, platform::DialogResult::No, 0},
        {"msg-above-yes", 801, platform::DialogResult::Yes, 2},
    };
    const platform::WindowHandle owner = addin_.OwnerWindow();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        localservice::StoredMessage original = Original();
        original.id = c.id;
        original.attachments = {{.id = "a1", .name = "big.bin", .content = std::string(204000, 'b')},
                                {.id = "a2", .name = "rest.bin", .content = std::string(c.lastSize, 'r')}};
        world_.Service().State().StoreMessage(original);
        const std::wstring headers = L"X-Parcelon-Message-Id: " + platform::WideFromUtf8(c.id) + L"\r\n";
        auto& user = world_.Outlook().User();
        const std::size_t shown = user.Shown().size();
        const std::size_t dialogs = user.Dialogs().size();
        if (c.answer) user.Answer(*c.answer);
        if (c.answer == platform::DialogResult::Yes) {
            user.AtDialog(reading::kDownloadAttachmentsDialogId,
                          [](sim::DialogScreen& screen) { screen.RunUntilEnded(); });
        }
        const auto forward = Response({}, L"FW: [Secure Message] Q3");

        ASSERT_TRUE(reading::ProcessForward(addin_, Received(headers.c_str()), forward, owner));

        ASSERT_EQ(user.Shown().size(), shown + (c.answer ? 1 : 0));
        if (c.answer) {
            const auto& box = user.Shown().back().request;
            EXPECT_EQ(box.text, L"Do you also want to forward attachments?");
            EXPECT_EQ(box.caption, L"Parcelon for Microsoft Outlook");
            EXPECT_EQ(box.icon, platform::MessageBoxIcon::Question);
            EXPECT_EQ(box.buttons, platform::MessageBoxButtons::YesNo);
            EXPECT_EQ(box.owner, owner);
        }
        const bool withDialog = c.answer == platform::DialogResult::Yes;
        ASSERT_EQ(user.Dialogs().size(), dialogs + (withDialog ? 1 : 0));
        if (withDialog) {
            EXPECT_EQ(user.Dialogs().back().owner, owner);
        }
        EXPECT_EQ(forward->Attachments()->Count(), static_cast<int>(c.attached));

        Open(forward);
        EXPECT_EQ(forward->Subject(), L"FW: Q3");
        EXPECT_NE(forward->HTMLBody().find(L"<p>The real figures</p>"), std::wstring::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Outlook, ForwardTest, ::testing::Values(12),
                         [](const auto& info) { return "Outlook" + std::to_string(info.param); });

INSTANTIATE_TEST_SUITE_P(Outlook, ResponseTest, ::testing::Values(11, 12, 14),
                         [](const auto& info) { return "Outlook" + std::to_string(info.param); });

}  // namespace
}  // namespace sealwing
