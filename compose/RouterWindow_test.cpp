#include "compose/RouterWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "compose/Shipper.h"
#include "dialogs/LoginDialogTemplate.h"
#include "outlook/Mapi.h"
#include "service/SendMessage.h"
#include "settings/PasswordCache.h"
#include "sim/SimExplorer.h"
#include "sim/SimFolder.h"
#include "sim/SimInspector.h"
#include "sim/SimMailItem.h"
#include "sim/SimProps.h"
#include "sim/SimRecipients.h"
#include "tests/OutlookWorld.h"

namespace sealwing::compose {
namespace {

using namespace std::chrono_literals;
namespace mapi = outlook::mapi;
using outlook::Ref;
using service::ServiceResult;

constexpr auto kSafety = 30s;

struct Notice {
    platform::WindowHandle owner;
    std::wstring text;
};

// A simulated Outlook of one version, a draft in it, and the completion with the notices it shows.
class Completing {
public:
    explicit Completing(int version)
        : world_(version),
          router_(world_.Outlook().Application(), [this](platform::WindowHandle owner, const std::wstring& text) {
              notices_.push_back({owner, text});
          }) {
        diagnostics::OpenThreadLog(L"Main");
        explorer_ = world_.Outlook().OpenExplorer();
    }

    Ref<sim::SimMailItem> Draft(const std::wstring& subject) {
        auto draft = world_.Outlook().CreateMailItem();
        draft->SetSubject(subject);
        draft->Recipients()->Add(L"bob@example.com");
        draft->Save();
        return draft;
    }

    service::OutgoingMessage Message(const Ref<sim::SimMailItem>& draft, int place) {
        service::OutgoingMessage message;
        message.item = draft;
        message.email = L"ann@example.com";
        message.recipients = L"bob@example.com";
        message.subject = draft->Subject();
        message.body = L"Hello";
        message.settings.place = place;
        return message;
    }

    // One completion as the queue's worker hands it over.
    void Complete(service::OutgoingMessage& message, ServiceResult& result, std::wstring& errorText) {
        bool done = false;
        int attempts = 0;
        SendCompletion completion{result, message, done, errorText, attempts};
        router_.Complete(completion);
        EXPECT_TRUE(done);
    }

    std::vector<Ref<sim::SimMailItem>> Items(outlook::DefaultFolder folder, const std::wstring& store = {}) {
        return store.empty() ? world_.Outlook().Folder(folder)->Items()
                             : world_.Outlook().Folder(folder, store)->Items();
    }

    std::string Log() { return diagnostics::CollectAllLogs(); }

    testing::OutlookWorld world_;
    std::vector<Notice> notices_;
    RouterWindow router_;
    Ref<sim::SimExplorer> explorer_;
};

// A message the service took leaves Drafts; the account's choice puts a plain copy, read and sent now, in the Sent
// folder: the default one up to Outlook 2007, the sending account's own from Outlook 2010.
TEST(RouterWindowTest, ASentMessageLeavesDraftsWithItsCopyInTheRightSentFolder) {
    const std::wstring apps = L"Google Apps - ann@apps.example";
    struct Case {
        const char* name;
        int version;
        int place;
        std::wstring subject;
        bool sendsThroughAppsAccount;
        std::wstring sentStore;  // where the copy goes; empty: the default store; "-": no copy
    };
    const Case cases[] = {
        {"place 0 keeps no copy", 14, 0, L"Figures", true, L"-"},
        {"2007 always uses the default Sent folder", 12, 1, L"Figures", true, L""},
        {"2010 uses the sending account's", 14, 1, L"Figures", true, apps},
        {"2010 without a matching account uses the default", 14, 1, L"", false, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Completing completing(c.version);
        auto& outlook = completing.world_.Outlook();
        outlook.AddStore(apps);
        outlook.AddAccount({.type = outlook::olPop3, .displayName = L"Home", .smtpAddress = L"home@example.com"});
        const auto account = outlook.AddAccount(
            {.type = outlook::olImap, .displayName = apps, .smtpAddress = L"ann@apps.example", .deliveryStore = apps});
        const auto draft = completing.Draft(c.subject);
        if (c.sendsThroughAppsAccount) draft->UseAccount(account);
        auto message = completing.Message(draft, c.place);
        message.email = L"ann@apps.example";
        completing.world_.Clock().Advance(90000);
        ServiceResult result = ServiceResult::Success;
        std::wstring errorText;

        completing.Complete(message, result, errorText);

        EXPECT_TRUE(completing.Items(outlook::olFolderDrafts).empty()) << "the draft is deleted for good";
        EXPECT_TRUE(completing.Items(outlook::olFolderDeletedItems).empty());
        EXPECT_TRUE(completing.notices_.empty());
        const std::size_t defaultCopies = completing.Items(outlook::olFolderSentMail).size();
        const std::size_t appsCopies = completing.Items(outlook::olFolderSentMail, apps).size();
        if (c.sentStore == L"-") {
            EXPECT_EQ(defaultCopies + appsCopies, 0u);
            continue;
        }
        const auto copies = completing.Items(outlook::olFolderSentMail, c.sentStore);
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(defaultCopies + appsCopies, 1u);
        const auto& copy = copies[0];
        EXPECT_EQ(copy->Props().Text(mapi::PR_SUBJECT_W), L"[Secure message] " + c.subject);
        EXPECT_EQ(copy->MessageFlags() & (mapi::MSGFLAG_READ | mapi::MSGFLAG_UNSENT), mapi::MSGFLAG_READ);
        const mapi::FileTime now = mapi::FileTimeFromUnix(completing.world_.Clock().UtcSeconds());
        EXPECT_EQ(copy->Props().Find(mapi::PR_CLIENT_SUBMIT_TIME)->data, mapi::PropData(now));
        EXPECT_EQ(copy->Props().Find(mapi::PR_MESSAGE_DELIVERY_TIME)->data, mapi::PropData(now));
        EXPECT_EQ(copy->Props().Text(mapi::PR_SENDER_NAME_W), L"ann@apps.example");
        EXPECT_EQ(copy->RecipientList()->List().size(), 1u) << "the copy is the message whole";
        EXPECT_NE(completing.Log().find("[MAPI] Moving message to sent folder\n"), std::string::npos);
    }
}

// Each MAPI step of the copy is checked: a failed one leaves the copy out, with a line, and the draft still goes.
TEST(RouterWindowTest, AFailedStepOfTheSentCopyLeavesItOutAndTheDraftStillGoes) {
    for (const wchar_t* step :
         {L"Folder.CreateMessage", L"Message.CopyTo", L"Message.SetProps", L"Message.SaveChanges"}) {
        SCOPED_TRACE(platform::Utf8FromWide(step));
        Completing completing(12);
        auto message = completing.Message(completing.Draft(L"Figures"), 1);
        completing.world_.Outlook().FailMember(step, outlook::hr::E_Fail, L"", 1);
        ServiceResult result = ServiceResult::Success;
        std::wstring errorText;

        completing.Complete(message, result, errorText);

        EXPECT_TRUE(completing.Items(outlook::olFolderSentMail).empty());
        EXPECT_TRUE(completing.Items(outlook::olFolderDrafts).empty());
        EXPECT_NE(completing.Log().find("[MAPI] The copy in the Sent folder is left out: "), std::string::npos);
    }
}

// Flags and subject that cannot be read from the copy: it is still made, marked read and nothing else, with the
// prefix alone as its subject.
TEST(RouterWindowTest, ACopyWhoseFlagsAndSubjectCannotBeReadIsMarkedReadWithThePrefixAlone) {
    Completing completing(12);
    auto message = completing.Message(completing.Draft(L"Figures"), 1);
    completing.world_.Outlook().FailMember(L"Message.GetProps", outlook::hr::E_Fail, L"", 2);
    ServiceResult result = ServiceResult::Success;
    std::wstring errorText;

    completing.Complete(message, result, errorText);

    const auto copies = completing.Items(outlook::olFolderSentMail);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0]->Props().Text(mapi::PR_SUBJECT_W), L"[Secure message] ");
    EXPECT_EQ(copies[0]->MessageFlags() & (mapi::MSGFLAG_READ | mapi::MSGFLAG_UNSENT), mapi::MSGFLAG_READ);
    EXPECT_TRUE(completing.Items(outlook::olFolderDrafts).empty());
}

// The service has the message; the draft left behind is the user's to delete, and the user is told so.
TEST(RouterWindowTest, ADraftThatCannotBeDeletedIsReportedAsSentButLeftBehind) {
    Completing completing(14);
    const auto draft = completing.Draft(L"Figures");
    auto message = completing.Message(draft, 0);
    completing.world_.Outlook().FailMember(L"Folder.DeleteMessages", outlook::hr::E_Fail, L"", 1);
    ServiceResult result = ServiceResult::Success;
    std::wstring errorText;

    completing.Complete(message, result, errorText);

    EXPECT_EQ(completing.Items(outlook::olFolderDrafts).size(), 1u);
    const auto& shown = completing.world_.Outlook().User().Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[0].request.text.find(L"There was an error while attempting to delete"), std::wstring::npos);
    EXPECT_EQ(shown[1].request.text, kDraftLeftAfterSendingText);
}

// Every failure brings the draft back on screen, which owns the notice; a failure without a text of its own gets the
// fixed one, and a result nobody expects counts as a failure.
TEST(RouterWindowTest, AFailureBringsTheDraftBackAndShowsItsTextOrTheFixedOne) {
    struct Case {
        ServiceResult result;
        std::wstring text;
        std::wstring shown;
    };
    const Case cases[] = {
        {ServiceResult::Failed, L"Recipient <a href=\"https://x.example\">blocked</a>",
         L"Recipient <a href=\"https://x.example\">blocked</a>"},
        {ServiceResult::Failed, L"", kUnexpectedSendErrorText},
        {ServiceResult::NotFound, L"", kUnexpectedSendErrorText},
        {ServiceResult::NotFound, L"Gone", L"Gone"},
    };
    for (const Case& c : cases) {
        Completing completing(14);
        const auto draft = completing.Draft(L"Figures");
        auto message = completing.Message(draft, 1);
        ServiceResult result = c.result;
        std::wstring errorText = c.text;

        completing.Complete(message, result, errorText);

        EXPECT_EQ(result, ServiceResult::Failed);
        const auto inspector = draft->CurrentInspector();
        ASSERT_NE(inspector, nullptr);
        EXPECT_TRUE(inspector->IsDisplayed());
        EXPECT_EQ(completing.world_.Outlook().Application()->ActiveInspector(), inspector);
        ASSERT_EQ(completing.notices_.size(), 1u);
        EXPECT_EQ(completing.notices_[0].owner, inspector->FrameWindow());
        EXPECT_EQ(completing.notices_[0].text, c.shown);
        EXPECT_EQ(completing.Items(outlook::olFolderDrafts).size(), 1u) << "a failed message stays a draft";
        EXPECT_TRUE(completing.Items(outlook::olFolderSentMail).empty());
    }
}

// The whole road through the queue: a rejected password asks again over the draft and the same message goes again
// with the typed one; a cancelled prompt ends it quietly; a service out of reach says so.
TEST(RouterWindowTest, ThroughTheQueueARejectedPasswordAsksAgainAndAnUnreachableServiceIsReported) {
    Completing completing(14);
    auto& world = completing.world_;
    world.Service().State().AddAccount({.email = "ann@example.com", .password = "right"});
    settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"wrong");
    Shipper shipper([&completing](SendCompletion& completion) { completing.router_.Complete(completion); });
    auto serve = [&world] {
        ASSERT_TRUE(world.Outlook().Loop().WaitForWork(kSafety)) << "no completion came";
        world.Outlook().Loop().RunPending();
    };

    world.Outlook().User().AtDialog(dialogs::kLoginDialogId, [](sim::DialogScreen& screen) {
        screen.Type(dialogs::kPasswordFieldId, L"right");
        screen.Press(platform::kDialogOk);
    });
    const auto retried = completing.Draft(L"Retried");
    ASSERT_TRUE(shipper.Enqueue(completing.Message(retried, 0)));
    serve();  // 401: the login dialog over the draft, then the same message again
    serve();  // 200
    ASSERT_TRUE(shipper.WaitUntilIdle(kSafety));
    EXPECT_EQ(world.Service().Requests().Count(), 2u);
    EXPECT_EQ(world.Service().State().Messages().size(), 1u);
    EXPECT_TRUE(completing.Items(outlook::olFolderDrafts).empty());
    EXPECT_TRUE(completing.notices_.empty());
    // Asked over the draft brought back, a window of its own, closed with the draft once the message went.
    ASSERT_EQ(world.Outlook().User().Dialogs().size(), 1u);
    const platform::WindowHandle loginOwner = world.Outlook().User().Dialogs()[0].owner;
    EXPECT_NE(loginOwner, platform::kNoWindow);
    EXPECT_NE(loginOwner, completing.explorer_->Window());
    EXPECT_FALSE(world.Outlook().Windows().IsWindow(loginOwner));

    settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"wrong");
    world.Outlook().User().AtDialog(dialogs::kLoginDialogId,
                                    [](sim::DialogScreen& screen) { screen.Press(platform::kDialogCancel); });
    const auto cancelled = completing.Draft(L"Cancelled");
    ASSERT_TRUE(shipper.Enqueue(completing.Message(cancelled, 0)));
    serve();
    ASSERT_TRUE(shipper.WaitUntilIdle(kSafety));
    EXPECT_EQ(world.Service().Requests().Count(), 3u);
    EXPECT_TRUE(completing.notices_.empty()) << "a cancelled prompt shows no error";
    EXPECT_EQ(completing.Items(outlook::olFolderDrafts).size(), 1u);
    EXPECT_TRUE(cancelled->CurrentInspector()->IsDisplayed());

    settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"right");
    world.Service().Stop();
    const auto unreachable = completing.Draft(L"Unreachable");
    ASSERT_TRUE(shipper.Enqueue(completing.Message(unreachable, 0)));
    serve();
    ASSERT_TRUE(shipper.WaitUntilIdle(kSafety));
    ASSERT_EQ(completing.notices_.size(), 1u);
    EXPECT_EQ(completing.notices_[0].text, service::kConnectionFailedText);
    EXPECT_EQ(completing.notices_[0].owner, unreachable->CurrentInspector()->FrameWindow());
    EXPECT_EQ(completing.Items(outlook::olFolderDrafts).size(), 2u);
}

}  // namespace
}  // namespace sealwing::compose
