#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "addin/SealwingAddin.h"
#include "compose/InspectorExtension.h"
#include "dialogs/AccountRequiredDialogTemplate.h"
#include "localservice/Faults.h"
#include "platform/Text.h"
#include "settings/PasswordCache.h"
#include "sim/SimAttachments.h"
#include "sim/SimCommandBar.h"
#include "sim/SimCommandBarControl.h"
#include "sim/SimCommandBarControls.h"
#include "sim/SimCommandBars.h"
#include "sim/SimFolder.h"
#include "sim/SimInspector.h"
#include "sim/SimMailItem.h"
#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

constexpr const wchar_t* kUser = L"ann@example.com";
constexpr int kAttachmentLimit = 1000;

struct DraftSetup {
    std::vector<std::wstring> to{L"bob@example.com"};
    std::vector<std::wstring> cc{};
    std::wstring body = L"The figures are attached.";
    std::vector<std::size_t> attachmentSizes{};
    std::wstring subject = L"Figures";
};

// Send Secure pressed in a compose window of a connected add-in, as each Outlook version offers it: the toolbar
// button on Outlook 2003, the ribbon from 2007 on.
class SendSecureTest : public ::testing::TestWithParam<int> {
protected:
    explicit SendSecureTest(sim::SimOptions options = {}) : world_(WithVersion(options)) {
        world_.Service().State().AddAccount(
            {.email = "ann@example.com", .password = "pw", .type = "pro", .maxAttachmentSize = kAttachmentLimit});
        settings::PasswordCache::Instance().SetPassword(kUser, L"pw");
        world_.Outlook().AddAccount({.type = outlook::olPop3, .displayName = L"Ann", .smtpAddress = kUser});
        explorer_ = world_.Outlook().OpenExplorer();
        EXPECT_EQ(addin_.OnConnection(world_.Outlook().Application(), outlook::ext_cm_Startup), 0);
        world_.Outlook().SetRibbonExtensibility(&addin_);
    }
    ~SendSecureTest() override {
        world_.Outlook().SetRibbonExtensibility(nullptr);
        addin_.OnDisconnection(outlook::ext_dm_HostShutdown);
    }
    static sim::SimOptions WithVersion(sim::SimOptions options) {
        options.majorVersion = GetParam();
        if (options.userAddress == sim::SimOptions{}.userAddress) options.userAddress = kUser;
        return options;
    }

    outlook::Ref<sim::SimMailItem> Draft(const DraftSetup& setup) {
        auto draft = world_.Outlook().CreateMailItem();
        draft->SetSubject(setup.subject);
        draft->SetBody(setup.body);
        draft->SetHTMLBody(setup.body);
        for (const auto& address : setup.to) draft->Recipients()->Add(address)->Resolve();
        for (const auto& address : setup.cc) {
            const auto recipient = draft->Recipients()->Add(address);
            recipient->SetType(outlook::olCC);
            recipient->Resolve();
        }
        int serial = 0;
        for (const std::size_t size : setup.attachmentSizes) {
            draft->AttachmentList()->AddNew(L"part" + std::to_wstring(++serial) + L".bin", std::string(size, 'x'),
                                            outlook::olByValue);
        }
        return draft;
    }
    outlook::Ref<sim::SimInspector> Compose(const outlook::Ref<sim::SimMailItem>& draft) {
        auto inspector = world_.Outlook().OpenInspector(draft);
        world_.Outlook().ActivateInspector(inspector);
        return inspector;
    }
    // Where Outlook 2003 shows the buttons: Word's shared "E-mail" bar for Word-edited mail, else the window's own.
    outlook::Ref<sim::SimCommandBars> ButtonBars(const outlook::Ref<sim::SimInspector>& inspector) {
        return inspector->WordEditor() != nullptr ? world_.Outlook().WordCommandBars() : inspector->Bars();
    }
    void PressSendSecure(const outlook::Ref<sim::SimInspector>& inspector) {
        if (GetParam() == 11) {
            const auto button = ButtonBars(inspector)->FindControlByTag(kSendButtonTag);
            ASSERT_NE(button, nullptr);
            world_.Outlook().ClickControl(button);
        } else {
            ASSERT_TRUE(world_.Outlook().ClickRibbonControl(inspector->FrameWindow(), L"SealwingButton"));
        }
    }
    // Runs the send queue's completions on Outlook's thread until it is idle.
    void DrainQueue() {
        compose::Shipper* queue = addin_.SendQueue();
        ASSERT_NE(queue, nullptr);
        auto& loop = world_.Outlook().Loop();
        // Short turns: the worker may still be finishing after it posted its last completion, and no more work
        // would come to end a long wait.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!queue->WaitUntilIdle(std::chrono::milliseconds(20))) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the send queue never became idle";
            if (loop.WaitForWork(std::chrono::milliseconds(20))) loop.RunPending();
        }
        loop.RunPending();
    }
    std::vector<std::wstring> BoxTexts() {
        std::vector<std::wstring> texts;
        for (const auto& shown : world_.Outlook().User().Shown()) texts.push_back(shown.request.text);
        return texts;
    }
    std::size_t Drafts() { return world_.Outlook().Folder(outlook::olFolderDrafts)->Items().size(); }

    testing::OutlookWorld world_;
    CSealwingAddin addin_;
    outlook::Ref<sim::SimExplorer> explorer_;
};

TEST_P(SendSecureTest, AMessageThatPassesEveryCheckIsUploadedAndLeavesDraftsWithItsWindowClosed) {
    const auto draft = Draft({.to = {L"bob@example.com", L"cy@example.com"}, .cc = {L"dee@example.com"}});
    const auto inspector = Compose(draft);

    PressSendSecure(inspector);

    EXPECT_TRUE(inspector->IsClosed()) << world_.LogFile("Main");
    EXPECT_EQ(addin_.InspectorExtensionCount(), 0U);
    DrainQueue();
    const auto stored = world_.Service().State().Messages();
    ASSERT_EQ(stored.size(), 1U);
    EXPECT_EQ(stored[0].subject, "Figures");
    EXPECT_EQ(stored[0].senderEmail, "ann@example.com");
    EXPECT_EQ(stored[0].to, (std::vector<std::string>{"bob@example.com", "cy@example.com"}));
    EXPECT_EQ(stored[0].cc, (std::vector<std::string>{"dee@example.com"}));
    EXPECT_EQ(Drafts(), 0U);
    EXPECT_TRUE(BoxTexts().empty());
    const std::string log = world_.LogFile("Main");
    EXPECT_NE(log.find("Selected sender ann@example.com"), std::string::npos) << log;
    EXPECT_NE(log.find("Message delivered to shipper"), std::string::npos) << log;
}

struct LimitCase {
    const char* name;
    DraftSetup draft;
    std::wstring refusal;  // empty: the message is queued
    platform::MessageBoxIcon icon = platform::MessageBoxIcon::Warning;
};

TEST_P(SendSecureTest, EachCheckRefusesWithItsWordsAndKeepsTheWindowOpenWithTheDraftSaved) {
    const std::vector<LimitCase> cases{
        {"twenty attachments", {.attachmentSizes = std::vector<std::size_t>(20, 10)}, L""},
        {"twenty-one attachments",
         {.attachmentSizes = std::vector<std::size_t>(21, 10)},
         L"Maximum number of 20 attachments has been exceeded.",
         platform::MessageBoxIcon::Error},
        {"the size limit to the byte", {.attachmentSizes = {400, 600}}, L""},
        {"one byte over the size limit",
         {.attachmentSizes = {400, 601}},
         L"You have exceeded the limit of maximum attachment size. You can send only 1000 bytes and your attachments "
         L"have 1001 bytes."},
        {"a one-character body",
         {.body = L"x"},
         L"Your message must contain a message body or at least one attachment."},
        {"an empty body with one attachment", {.body = L"", .attachmentSizes = {5}}, L""},
        {"CC alone", {.to = {}, .cc = {L"dee@example.com"}}, L"Your message must contain at least one recipient."},
    };
    for (const LimitCase& c : cases) {
        const std::size_t boxesBefore = world_.Outlook().User().Shown().size();
        const std::size_t storedBefore = world_.Service().State().Messages().size();
        const auto draft = Draft(c.draft);
        const auto inspector = Compose(draft);

        PressSendSecure(inspector);
        DrainQueue();

        const auto& shown = world_.Outlook().User().Shown();
        if (c.refusal.empty()) {
            EXPECT_EQ(shown.size(), boxesBefore) << c.name;
            EXPECT_TRUE(inspector->IsClosed()) << c.name;
            EXPECT_EQ(world_.Service().State().Messages().size(), storedBefore + 1) << c.name;
            continue;
        }
        ASSERT_EQ(shown.size(), boxesBefore + 1) << c.name;
        EXPECT_EQ(shown.back().request.text, c.refusal) << c.name;
        EXPECT_EQ(shown.back().request.caption, L"Parcelon for Microsoft Outlook") << c.name;
        EXPECT_EQ(shown.back().request.icon, c.icon) << c.name;
        EXPECT_EQ(shown.back().request.owner, inspector->FrameWindow()) << c.name;
        EXPECT_FALSE(inspector->IsClosed()) << c.name;
        EXPECT_FALSE(draft->EntryID().empty()) << c.name << ": saved into Drafts";
        EXPECT_EQ(world_.Service().State().Messages().size(), storedBefore) << c.name;
        world_.Outlook().CloseInspector(inspector);
    }
}

TEST_P(SendSecureTest, WithoutASessionTheLimitsAreLeftToTheServiceAndTheMessageIsQueued) {
    world_.Service().Faults().Set(localservice::Endpoint::Account, localservice::Fault{.status = 500});
    const auto inspector = Compose(Draft({.attachmentSizes = std::vector<std::size_t>(21, 100)}));

    PressSendSecure(inspector);

    EXPECT_TRUE(inspector->IsClosed());
    EXPECT_TRUE(BoxTexts().empty() || BoxTexts().front().find(L"attachments") == std::wstring::npos);
    EXPECT_NE(world_.LogFile("Main").find("Message delivered to shipper"), std::string::npos);
    DrainQueue();
}

TEST_P(SendSecureTest, TheOnlyWindowLeftKeepsItsMessageInDraftsInsteadOfQueueingIt) {
    world_.Outlook().CloseExplorer(explorer_);
    const auto draft = Draft({});
    const auto inspector = Compose(draft);

    PressSendSecure(inspector);
    DrainQueue();

    EXPECT_EQ(BoxTexts(),
              (std::vector<std::wstring>{L"Your message is not sent yet. You will need to resend it manually "
                                         L"from Drafts folder from Outlook"}));
    EXPECT_TRUE(inspector->IsClosed());
    EXPECT_TRUE(world_.Service().State().Messages().empty());
    EXPECT_EQ(Drafts(), 1U);
}

TEST_P(SendSecureTest, ASenderWithoutAServiceAccountIsShownTheAccountNotice) {
    world_.Service().State().RemoveAccount("ann@example.com");
    const auto inspector = Compose(Draft({}));

    PressSendSecure(inspector);

    const auto& dialogs = world_.Outlook().User().Dialogs();
    ASSERT_EQ(dialogs.size(), 1U);
    EXPECT_EQ(dialogs[0].templateId, dialogs::kAccountRequiredDialogId);
    EXPECT_EQ(dialogs[0].owner, inspector->FrameWindow());
    EXPECT_FALSE(inspector->IsClosed());
    EXPECT_NE(world_.LogFile("Main").find("Parcelon account is needed for selected sender"), std::string::npos);
}

TEST_P(SendSecureTest, AnAutomationErrorIsLoggedAndToldWithTheSystemsTextAndTheWindowStaysOpen) {
    const auto inspector = Compose(Draft({}));
    world_.Outlook().FailMember(L"MailItem.Save", static_cast<outlook::HResult>(0x80004005), L"Save failed", 1);

    PressSendSecure(inspector);

    const auto& shown = world_.Outlook().User().Shown();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].request.text, L"Unspecified error");
    EXPECT_EQ(shown[0].request.icon, platform::MessageBoxIcon::Error);
    EXPECT_FALSE(inspector->IsClosed());
    EXPECT_NE(world_.LogFile("Main").find("[ERROR] COM error. File InspectorExtension.cpp"), std::string::npos)
        << world_.LogFile("Main");
}

INSTANTIATE_TEST_SUITE_P(Versions, SendSecureTest, ::testing::Values(11, 12, 14));

// The draft names no sender and the profile's user has no address: the default account decides, and when several
// registered accounts leave it open, the answer "NA" is no address to send from.
class NoSenderTest : public SendSecureTest {
protected:
    NoSenderTest() : SendSecureTest(sim::SimOptions{.userAddress = L""}) {
        world_.Service().State().AddAccount({.email = "bob@example.com", .password = "pw"});
        world_.Outlook().AddAccount(
            {.type = outlook::olPop3, .displayName = L"Bob", .smtpAddress = L"bob@example.com"});
    }
};

TEST_P(NoSenderTest, SeveralRegisteredAccountsWithoutADefaultLeaveNoSender) {
    const auto inspector = Compose(Draft({}));
    // The account-management service cannot tell the accounts' order, and with it the default.
    world_.Outlook().FailMember(L"OlkAccountManager.GetOrder", static_cast<outlook::HResult>(0x80004005), L"", -1);

    PressSendSecure(inspector);

    EXPECT_EQ(BoxTexts(),
              std::vector<std::wstring>{L"Sorry, you cannot send Parcelon messages from this account at this time"});
    EXPECT_FALSE(inspector->IsClosed());
    const std::string log = world_.LogFile("Main");
    EXPECT_NE(log.find("Failed to get selected sender. SelectSender failed"), std::string::npos) << log;
    EXPECT_EQ(log.find("Selected sender NA"), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Versions, NoSenderTest, ::testing::Values(11, 12, 14));

// Outlook 2003 with Word as the e-mail editor: the buttons sit on Word's "E-mail" toolbar, which every message Word
// edits shares.
class WordToolbarTest : public SendSecureTest {
protected:
    WordToolbarTest() : SendSecureTest(sim::SimOptions{.wordEditsMailIn2003 = true}) {}
};

TEST_P(WordToolbarTest, TwoWindowsShareOnePairOfButtonsAndAClickSendsOnlyTheActiveWindowsMessage) {
    const auto first = Compose(Draft({.subject = L"First"}));
    world_.Clock().Advance(2000);  // unsaved drafts are told apart by the time they were made
    const auto second = Compose(Draft({.subject = L"Second"}));
    const auto bars = world_.Outlook().WordCommandBars();
    EXPECT_EQ(bars->ControlsTagged(kSendButtonTag).size(), 1U);
    EXPECT_EQ(bars->ControlsTagged(kOptionsButtonTag).size(), 1U);

    PressSendSecure(second);  // the second window is the active one
    DrainQueue();

    const auto stored = world_.Service().State().Messages();
    ASSERT_EQ(stored.size(), 1U);
    EXPECT_EQ(stored[0].subject, "Second");
    EXPECT_TRUE(second->IsClosed());
    EXPECT_FALSE(first->IsClosed());
    EXPECT_TRUE(bars->ControlsTagged(kSendButtonTag).empty()) << "Word's toolbar outlives the message";
}

INSTANTIATE_TEST_SUITE_P(Outlook2003, WordToolbarTest, ::testing::Values(11));

class ToolbarButtonsTest : public SendSecureTest {};

TEST_P(ToolbarButtonsTest, Outlook2003PlacesSendSecureBeforeOptionsAtTheThirdPlaceOfTheStandardBar) {
    const auto inspector = Compose(Draft({}));
    const auto standard = inspector->Bars()->Bar(L"Standard");
    ASSERT_NE(standard, nullptr);
    const auto send = inspector->Bars()->FindControlByTag(kSendButtonTag);
    const auto options = inspector->Bars()->FindControlByTag(kOptionsButtonTag);
    ASSERT_NE(send, nullptr);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(send->CurrentCaption(), L"Send Secure");
    EXPECT_EQ(send->TooltipText(), L"Send your message using Parcelon");
    EXPECT_EQ(send->Style(), outlook::msoButtonIconAndCaption);
    EXPECT_EQ(send->FaceImage(), 221);
    EXPECT_EQ(send->FaceMask(), 220);
    EXPECT_EQ(send->Parameter(), L"send");
    EXPECT_EQ(options->CurrentCaption(), L"Parcelon Options");
    EXPECT_EQ(options->TooltipText(), L"Configure how Parcelon messages should be sent");
    EXPECT_EQ(options->Style(), outlook::msoButtonCaption);
    EXPECT_TRUE(send->BeginsGroup() && options->BeginsGroup());
    const auto& placed = standard->ControlList()->List();
    ASSERT_GE(placed.size(), 4U);
    EXPECT_EQ(placed[2], send);
    EXPECT_EQ(placed[3], options);
}

TEST_P(ToolbarButtonsTest, AReceivedMessageGetsNoButtons) {
    const auto received = world_.Outlook().AddReceivedMail({.subject = L"Hello", .to = {kUser}});
    const auto inspector = Compose(received);
    EXPECT_EQ(inspector->Bars()->FindControlByTag(kSendButtonTag), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Outlook2003, ToolbarButtonsTest, ::testing::Values(11));

}  // namespace
}  // namespace sealwing
