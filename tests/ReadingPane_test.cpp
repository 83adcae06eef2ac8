#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/SealwingAddin.h"
#include "dialogs/AccountRequiredDialogTemplate.h"
#include "localservice/Faults.h"
#include "mailstore/RecipientsUpdate.h"
#include "platform/Text.h"
#include "reading/ExplorerExtension.h"
#include "settings/PasswordCache.h"
#include "settings/SettingsStore.h"
#include "sim/DialogScreen.h"
#include "sim/SimBrowser.h"
#include "sim/SimExplorer.h"
#include "sim/SimMailItem.h"
#include "sim/WindowTree.h"
#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

constexpr const wchar_t* kUser = L"ann@example.com";

std::wstring Headers(const std::string& id) {
    return L"From: eve@sender.example\r\nx-parcelon-message-id: " + platform::WideFromUtf8(id) + L"\r\n";
}

// A main window of a connected add-in whose user receives secure notices: selecting one shows the message from the
// service in the browser laid over the reading pane.
class ReadingPaneTest : public ::testing::TestWithParam<int> {
protected:
    ReadingPaneTest() : world_(sim::SimOptions{.majorVersion = GetParam(), .userAddress = kUser}) {
        world_.Service().State().AddAccount({.email = "ann@example.com", .password = "pw", .type = "pro"});
        settings::PasswordCache::Instance().SetPassword(kUser, L"pw");
        world_.Outlook().AddAccount({.type = outlook::olPop3, .displayName = L"Ann", .smtpAddress = kUser});
        explorer_ = world_.Outlook().OpenExplorer();
        EXPECT_EQ(addin_.OnConnection(world_.Outlook().Application(), outlook::ext_cm_Startup), 0);
        Store("msg-1", {"ann@example.com", "o'neil@example.com"}, {"dee@example.com"});
        Store("msg-2", {"ann@example.com"}, {});
    }
    ~ReadingPaneTest() override { addin_.OnDisconnection(outlook::ext_dm_HostShutdown); }

    void Store(const std::string& id, std::vector<std::string> to, std::vector<std::string> cc) {
        localservice::StoredMessage message;
        message.id = id;
        message.senderEmail = "eve@sender.example";
        message.subject = "Q3 " + id;
        message.body = "<p>The figures</p>";
        message.to = std::move(to);
        message.cc = std::move(cc);
        world_.Service().State().StoreMessage(std::move(message));
    }
    outlook::Ref<sim::SimMailItem> Notice(const std::wstring& headers) {
        return world_.Outlook().AddReceivedMail(
            {.subject = L"[Secure Message] Q3", .to = {kUser}, .transportHeaders = headers});
    }
    void Select(std::vector<outlook::Ref<sim::SimMailItem>> items) { world_.Outlook().Select(explorer_, items); }
    void Tick() {
        world_.Clock().Advance(CExplorerExtension::kReadinessIntervalMs);
        world_.Outlook().Loop().RunPending();
    }
    CExplorerExtension& Extension() { return *addin_.ExplorerExtensionAt(0); }
    std::size_t Requests(const std::string& part) {
        std::size_t count = 0;
        for (const auto& request : world_.Service().Requests().All()) {
            count += request.target.find(part) != std::string::npos ? 1 : 0;
        }
        return count;
    }
    std::vector<std::wstring> ReaderPages() {
        std::vector<std::wstring> pages;
        auto& browser = world_.Outlook().Browser();
        for (std::size_t index = 0; index < browser.Count(); ++index) {
            for (const auto& address : browser.At(index).Navigations()) {
                if (address.find(L"/outlook-reader/") != std::wstring::npos) pages.push_back(address);
            }
        }
        return pages;
    }
    // The first secure selection: the browser is laid over the pane, and the message shown at the next tick.
    void ShowFirst(const outlook::Ref<sim::SimMailItem>& notice) {
        Select({notice});
        Tick();
        world_.Outlook().Browser().Last().CompleteDocument();
    }
    static std::vector<std::wstring> Recipients(const outlook::Ref<sim::SimMailItem>& item) {
        std::vector<std::wstring> addresses;
        const auto recipients = item->Recipients();
        for (int index = 1; index <= recipients->Count(); ++index) {
            const auto recipient = recipients->Item(index);
            addresses.push_back(recipient->Name() + (recipient->Type() == outlook::olCC ? L" (CC)" : L""));
        }
        return addresses;
    }

    testing::OutlookWorld world_;
    CSealwingAddin addin_;
    outlook::Ref<sim::SimExplorer> explorer_;
};

TEST_P(ReadingPaneTest, TheFirstSecureSelectionLaysTheBrowserOverThePaneAndShowsTheMessageAtTheNextTick) {
    const auto notice = Notice(Headers("msg-1"));
    Select({notice});

    const platform::WindowHandle pane = world_.Outlook().ReadingPaneWindow(explorer_);
    const platform::WindowHandle expected =
        GetParam() > 11 ? pane : world_.Outlook().Windows().Parent(pane);  // 2003 frames the message around it
    EXPECT_EQ(Extension().Preview().Target(), expected);
    EXPECT_NE(Extension().ReadinessTimer(), 0U);
    EXPECT_TRUE(ReaderPages().empty());

    Tick();
    world_.Outlook().Browser().Last().CompleteDocument();

    EXPECT_EQ(Extension().ReadinessTimer(), 0U);
    EXPECT_EQ(Extension().RenderedMessageId(), L"msg-1");
    EXPECT_EQ(Extension().TrackedItem(), notice);
    const auto pages = ReaderPages();
    ASSERT_EQ(pages.size(), 1U);
    EXPECT_TRUE(pages[0].ends_with(L"/msg-1")) << platform::Utf8FromWide(pages[0]);

    // Later secure selections are shown at once.
    const auto second = Notice(Headers("msg-2"));
    Select({second});
    ASSERT_EQ(ReaderPages().size(), 2U);
    EXPECT_TRUE(ReaderPages()[1].ends_with(L"/msg-2"));
    EXPECT_EQ(Extension().TrackedItem(), second);
}

TEST_P(ReadingPaneTest, TheRecipientsBecomeTheSecureMessagesOnceWithAddressesAsTheyAre) {
    const auto notice = Notice(Headers("msg-1"));
    ShowFirst(notice);

    EXPECT_EQ(Recipients(notice),
              (std::vector<std::wstring>{L"ann@example.com", L"o'neil@example.com", L"dee@example.com (CC)"}));
    EXPECT_NE(notice->UserProperties()->Find(mailstore::kRecipientsUpdatedProperty), nullptr);
    const std::size_t downloads = Requests("rest/message/msg-1");

    Select({Notice(Headers("msg-2"))});
    Select({notice});

    EXPECT_EQ(Requests("rest/message/msg-1"), downloads) << "the marked notice is not refreshed again";
}

TEST_P(ReadingPaneTest, AFailedRefreshIsNotRepeatedByTheTimerButTriedAgainWhenSelectedAgain) {
    world_.Service().Faults().Set(localservice::Endpoint::Message, localservice::Fault{.status = 500});
    world_.Outlook().Windows().Destroy(world_.Outlook().ReadingPaneWindow(explorer_));  // no pane to take over yet
    const auto notice = Notice(Headers("msg-1"));

    Select({notice});
    for (int tick = 0; tick < 5; ++tick) Tick();

    EXPECT_EQ(Requests("rest/message/msg-1"), 1U);
    EXPECT_NE(Extension().ReadinessTimer(), 0U) << "the pane is looked for every 100 ms";
    EXPECT_EQ(notice->UserProperties()->Find(mailstore::kRecipientsUpdatedProperty), nullptr);
    EXPECT_NE(world_.LogFile("Main").find("Unable to download original encrypted message.\n Server response is:"),
              std::string::npos);

    Select({notice});
    EXPECT_EQ(Requests("rest/message/msg-1"), 2U);
}

TEST_P(ReadingPaneTest, ANonSecureMessageAndTheShownMessageSelectedAgainSendNoRequest) {
    const auto notice = Notice(Headers("msg-1"));
    ShowFirst(notice);
    const std::size_t requests = world_.Service().Requests().Count();

    Select({notice});
    EXPECT_EQ(world_.Service().Requests().Count(), requests);
    EXPECT_EQ(ReaderPages().size(), 1U);

    const auto plain =
        world_.Outlook().AddReceivedMail({.subject = L"Lunch?", .to = {kUser}, .transportHeaders = L"From: a@b\r\n"});
    const std::size_t reads = world_.Outlook().MemberCalls(L"Message.GetProps");
    Select({plain});
    EXPECT_EQ(world_.Outlook().MemberCalls(L"Message.GetProps"), reads + 1) << "one property: the headers";
    EXPECT_EQ(world_.Service().Requests().Count(), requests);
    EXPECT_EQ(Extension().RenderedMessageId(), L"");
    EXPECT_EQ(Extension().TrackedItem(), nullptr);
    EXPECT_NE(world_.LogFile("Main").find("Non-secure message displayed"), std::string::npos);
}

TEST_P(ReadingPaneTest, TwoSelectedMessagesHideTheBrowserAndForgetTheShownMessage) {
    const auto notice = Notice(Headers("msg-1"));
    ShowFirst(notice);
    ASSERT_TRUE(Extension().TrackedItemSink().IsConnected());

    Select({notice, Notice(Headers("msg-2"))});

    EXPECT_EQ(Extension().RenderedMessageId(), L"");
    EXPECT_EQ(Extension().TrackedItem(), nullptr);
    EXPECT_FALSE(Extension().TrackedItemSink().IsConnected());
    EXPECT_FALSE(world_.Outlook().Windows().IsVisible(Extension().Preview().BrowserWindow()));
}

TEST_P(ReadingPaneTest, AHiddenReadingPaneHidesTheBrowserAndShowingItAgainShowsTheMessageAgain) {
    const auto notice = Notice(Headers("msg-1"));
    ShowFirst(notice);

    world_.Outlook().SetReadingPaneVisible(explorer_, false);
    Select({notice});
    EXPECT_NE(world_.LogFile("Main").find("Preview pane invisible"), std::string::npos);
    EXPECT_EQ(Extension().RenderedMessageId(), L"");

    world_.Outlook().SetReadingPaneVisible(explorer_, true);
    Select({notice});
    Tick();
    world_.Outlook().Browser().Last().CompleteDocument();
    EXPECT_EQ(ReaderPages().size(), 2U);
    const platform::WindowHandle pane = world_.Outlook().ReadingPaneWindow(explorer_);
    EXPECT_EQ(Extension().Preview().Target(), GetParam() > 11 ? pane : world_.Outlook().Windows().Parent(pane))
        << "the browser follows the pane's new window";
}

TEST_P(ReadingPaneTest, ClosingTheWindowWhileTheTimerRunsKillsItSoNoTickReachesTheClosedExtension) {
    world_.Outlook().Windows().Destroy(world_.Outlook().ReadingPaneWindow(explorer_));
    Select({Notice(Headers("msg-1"))});
    const platform::TimerId timer = Extension().ReadinessTimer();
    ASSERT_NE(timer, 0U);

    world_.Outlook().CloseExplorer(explorer_);

    EXPECT_EQ(addin_.ExplorerExtensionCount(), 0U);
    EXPECT_EQ(CExplorerExtension::ForReadinessTimer(timer), nullptr);
    Tick();  // a tick reaching freed memory would fail under the sanitizers
    EXPECT_EQ(world_.LogFile("Main").find("IE must be ready"), std::string::npos);
}

TEST_P(ReadingPaneTest, AnUnregisteredAccountIsToldOnceUntilTheUserSilencesTheNotice) {
    world_.Service().State().RemoveAccount("ann@example.com");
    world_.Outlook().User().AtDialog(dialogs::kAccountRequiredDialogId, [](sim::DialogScreen& screen) {
        screen.Tick(dialogs::kAccountRequiredDontShowId);
        screen.Press(dialogs::kCloseAccountRequiredId);
    });
    ShowFirst(Notice(Headers("msg-1")));
    Select({Notice(Headers("msg-2"))});

    const auto& dialogs = world_.Outlook().User().Dialogs();
    ASSERT_EQ(dialogs.size(), 1U);
    EXPECT_EQ(dialogs[0].templateId, dialogs::kAccountRequiredDialogId);
    EXPECT_EQ(dialogs[0].owner, explorer_->FrameWindow());
    EXPECT_TRUE(settings::SettingsStore::Instance().SuppressUnregisteredWarnings());
    EXPECT_TRUE(ReaderPages().empty());
}

INSTANTIATE_TEST_SUITE_P(Versions, ReadingPaneTest, ::testing::Values(11, 12, 14));

TEST(SecureMessageIdTest, OnlyAMailItemWithTheHeaderOnALineOfItsOwnIsSecure) {
    testing::OutlookWorld world(14, testing::LocalServiceUse::None);
    struct Case {
        const char* name;
        const wchar_t* headers;
        const wchar_t* id;
    };
    for (const Case& c : {
             Case{"lower case", L"From: a@b\r\nx-parcelon-message-id: m-1\r\n", L"m-1"},
             Case{"mixed-case name, upper-case value", L"X-Parcelon-Message-ID: AbC-9\r\nTo: x@y\r\n", L"abc-9"},
             Case{"the last line without its end", L"From: a@b\r\nx-parcelon-message-id: m-1", L""},
             Case{"quoted in a subject", L"Subject: x-parcelon-message-id: m-1\r\n", L""},
         }) {
        const auto item = world.Outlook().AddReceivedMail({.subject = L"n", .transportHeaders = c.headers});
        EXPECT_EQ(GetSecureMessageId(item), c.id) << c.name;
    }
    EXPECT_EQ(GetSecureMessageId(nullptr), L"");
}

}  // namespace
}  // namespace sealwing
