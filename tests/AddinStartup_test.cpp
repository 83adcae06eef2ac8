#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>

#include "addin/ProcessState.h"
#include "addin/SealwingAddin.h"
#include "compose/InspectorExtension.h"
#include "diagnostics/ActivityLog.h"
#include "diagnostics/Log.h"
#include "mailstore/MapEmailDialogTemplate.h"
#include "settings/PasswordCache.h"
#include "settings/PasswordStorage.h"
#include "settings/SettingsStore.h"
#include "sim/SimFolder.h"
#include "sim/SimMailItem.h"
#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

using testing::Occurrences;
using testing::OutlookWorld;

// The connection-point traffic of the add-in's own three application-level sinks, in order.
std::vector<std::wstring> CollectionSinkTraffic(const sim::SimOutlook& outlook) {
    std::vector<std::wstring> traffic;
    for (const auto& entry : outlook.Journal()) {
        if (entry.ends_with(L"InspectorsEvents") || entry.ends_with(L"ExplorersEvents") ||
            entry.ends_with(L"ApplicationEvents")) {
            traffic.push_back(entry);
        }
    }
    return traffic;
}

class StartupFixture : public ::testing::Test {
protected:
    explicit StartupFixture(int majorVersion) : world_(majorVersion) {}

    void Connect() { ASSERT_EQ(addin_.OnConnection(world_.Outlook().Application(), outlook::ext_cm_Startup), 0); }

    OutlookWorld world_;
    CSealwingAddin addin_;
};

// What start-up does differently in each version: the compose windows, the accounts, the header.
class StartupTest : public StartupFixture, public ::testing::WithParamInterface<int> {
protected:
    StartupTest() : StartupFixture(GetParam()) {}
};

// What start-up does alike in every version, run once on Outlook 2010.
class StartupOnceTest : public StartupFixture {
protected:
    StartupOnceTest() : StartupFixture(14) {}
};

TEST_P(StartupTest, WrapsEveryOpenWindowAndConnectsTheSinksInOrder) {
    auto& outlook = world_.Outlook();
    const auto inbox = outlook.OpenExplorer(L"Inbox - Microsoft Outlook");
    outlook.OpenExplorer(L"Calendar - Microsoft Outlook");
    const auto draft = outlook.OpenInspector(outlook.CreateMailItem());
    outlook.OpenInspector(outlook.CreateMailItem());
    outlook.ActivateExplorer(inbox);

    Connect();

    EXPECT_TRUE(addin_.IsConnected());
    EXPECT_EQ(addin_.OutlookMajorVersion(), GetParam());
    EXPECT_EQ(addin_.ExplorerExtensionCount(), 2u);
    EXPECT_EQ(addin_.InspectorExtensionCount(), 2u);
    // Compose windows are found by handle only where the ribbon asks for them.
    EXPECT_EQ(addin_.ComposeWindowCount(), GetParam() > 11 ? 2u : 0u);
    EXPECT_EQ(addin_.FindComposeWindow(draft->Window()) != nullptr, GetParam() > 11);
    EXPECT_EQ(addin_.OwnerWindow(), inbox->Window());
    EXPECT_EQ(CollectionSinkTraffic(outlook),
              (std::vector<std::wstring>{L"Advise InspectorsEvents", L"Advise ExplorersEvents",
                                         L"Advise ApplicationEvents"}));
    for (const outlook::Cookie cookie :
         {addin_.InspectorsSink().Cookie(), addin_.ExplorersSink().Cookie(), addin_.ApplicationSink().Cookie()}) {
        EXPECT_NE(cookie, outlook::kNotConnected);
    }
    EXPECT_EQ(addin_.ResponseSink().Cookie(), outlook::kNotConnected);
    EXPECT_EQ(outlook.Graphics().Running(), 1);

    const std::string log = world_.LogFile("Main");
    EXPECT_EQ(log.substr(0, 7), "CLOSED\n");
    EXPECT_NE(log.find("===Main log\n"), std::string::npos);
    EXPECT_NE(log.find("Outlook version " + platform::Utf8FromWide(outlook.Application()->Version()) + " \n"),
              std::string::npos);
    EXPECT_EQ(Occurrences(log, "New inspector opened in SealwingAddin.cpp(132)\n"), 2u);
    EXPECT_EQ(Occurrences(log, "New explorer opened in SealwingAddin.cpp(161)\n"), 2u);
    EXPECT_TRUE(log.ends_with("Log closed...\n\n"));
}

TEST_P(StartupTest, WindowsOpenedLaterAreWrappedAndReleasedWhenTheyClose) {
    auto& outlook = world_.Outlook();
    Connect();

    const auto explorer = outlook.OpenExplorer();
    const auto inspector = outlook.OpenInspector(outlook.CreateMailItem());
    EXPECT_EQ(addin_.ExplorerExtensionCount(), 1u);
    EXPECT_EQ(addin_.InspectorExtensionCount(), 1u);
    EXPECT_EQ(addin_.ComposeWindowCount(), GetParam() > 11 ? 1u : 0u);

    outlook.CloseInspector(inspector);
    outlook.CloseExplorer(explorer);

    EXPECT_EQ(addin_.ExplorerExtensionCount(), 0u);
    EXPECT_EQ(addin_.InspectorExtensionCount(), 0u);
    EXPECT_EQ(addin_.ComposeWindowCount(), 0u);
    EXPECT_EQ(addin_.OwnerWindow(), platform::kNoWindow);
    const std::string log = world_.LogFile("Main");
    EXPECT_NE(log.find("Inspector is being closed in InspectorExtension.cpp("), std::string::npos);
    EXPECT_NE(log.find("Explorer is being closed in ExplorerExtension.cpp(218)\n"), std::string::npos);
}

TEST_P(StartupTest, DisconnectionUndoesEverythingAndTheAddinCanConnectAgain) {
    auto& outlook = world_.Outlook();
    outlook.OpenExplorer();
    outlook.OpenInspector(outlook.CreateMailItem());
    Connect();
    EXPECT_EQ(TheAddin(), &addin_);
    EXPECT_EQ(TheAddinForAbout(), &addin_);
    EXPECT_EQ(TheOutlookApplication(), outlook.Application());
    const std::size_t journalBefore = outlook.Journal().size();

    EXPECT_EQ(addin_.OnDisconnection(outlook::ext_dm_HostShutdown), 0);

    EXPECT_FALSE(addin_.IsConnected());
    EXPECT_EQ(TheOutlookApplication(), nullptr);
    EXPECT_EQ(outlook.AdvisedSinks(), 0u);
    EXPECT_EQ(outlook.Graphics().Running(), 0);
    EXPECT_EQ(addin_.ExplorerExtensionCount(), 0u);
    EXPECT_EQ(addin_.InspectorExtensionCount(), 0u);
    EXPECT_EQ(addin_.InspectorsSink().Cookie(), outlook::kNotConnected);
    EXPECT_EQ(addin_.ExplorersSink().Cookie(), outlook::kNotConnected);
    EXPECT_EQ(addin_.ApplicationSink().Cookie(), outlook::kNotConnected);
    const std::vector<std::wstring> released(outlook.Journal().begin() + static_cast<long>(journalBefore),
                                             outlook.Journal().end());
    EXPECT_EQ(std::count(released.begin(), released.end(), L"Unadvise InspectorsEvents"), 1);

    Connect();
    EXPECT_TRUE(addin_.IsConnected());
    EXPECT_EQ(addin_.ExplorerExtensionCount(), 1u);
    EXPECT_EQ(addin_.InspectorExtensionCount(), 1u);
    EXPECT_EQ(Occurrences(world_.LogFile("Main"), "===Main log\n"), 1u);  // one run, one log
    addin_.OnDisconnection(outlook::ext_dm_UserClosed);
    EXPECT_EQ(outlook.AdvisedSinks(), 0u);
}

TEST_F(StartupOnceTest, AComErrorAbandonsTheRemainingStepsButStartUpStillEnds) {
    auto& outlook = world_.Outlook();
    outlook.OpenExplorer();
    outlook.FailMember(L"Application.Inspectors", static_cast<outlook::HResult>(0x80004005), L"Simulated failure", 1);

    Connect();

    EXPECT_TRUE(addin_.IsConnected());
    EXPECT_EQ(addin_.ExplorerExtensionCount(), 0u);  // step 9 was skipped
    EXPECT_EQ(addin_.InspectorsSink().Cookie(), outlook::kNotConnected);
    EXPECT_EQ(addin_.ExplorersSink().Cookie(), outlook::kNotConnected);
    EXPECT_EQ(addin_.ApplicationSink().Cookie(), outlook::kNotConnected);
    EXPECT_EQ(addin_.OwnerWindow(), platform::kNoWindow);  // nothing half-made for a later command to trip on
    const std::string log = world_.LogFile("Main");
    EXPECT_NE(log.find("[ERROR] COM exception. Code 80004005. Description \"Simulated failure\"\n"
                       "2026-12-10 03:04:05 Log closed...\n\n"),
              std::string::npos);
    EXPECT_EQ(log.substr(0, 7), "CLOSED\n");

    addin_.OnDisconnection(outlook::ext_dm_HostShutdown);
    EXPECT_EQ(outlook.AdvisedSinks(), 0u);
    EXPECT_EQ(outlook.Graphics().Running(), 0);
}

TEST_P(StartupTest, AComErrorInsideOneWindowsHandlerEndsOnlyThatHandler) {
    auto& outlook = world_.Outlook();
    outlook.OpenInspector(outlook.CreateMailItem());
    outlook.OpenInspector(outlook.CreateMailItem());
    outlook.OpenExplorer();
    outlook.FailMember(L"Inspector.CurrentItem", static_cast<outlook::HResult>(0x80004005), L"Item unavailable", 1);

    Connect();

    EXPECT_EQ(addin_.InspectorExtensionCount(), 1u);
    EXPECT_EQ(addin_.ComposeWindowCount(), GetParam() > 11 ? 1u : 0u);
    EXPECT_EQ(addin_.ExplorerExtensionCount(), 1u);
    EXPECT_NE(addin_.ApplicationSink().Cookie(), outlook::kNotConnected);
    EXPECT_EQ(Occurrences(world_.LogFile("Main"), "Description \"Item unavailable\""), 1u);
}

TEST_F(StartupOnceTest, WithoutAMainWindowNothingOwnsTheMessageBoxes) {
    auto& outlook = world_.Outlook();
    outlook.OpenInspector(outlook.CreateMailItem());
    Connect();
    EXPECT_EQ(addin_.ExplorerExtensionCount(), 0u);
    EXPECT_EQ(addin_.OwnerWindow(), platform::kNoWindow);
}

TEST_F(StartupOnceTest, AFailureWhileGatheringTheHeaderIsLoggedInTheHeaderAndStartUpGoesOn) {
    auto& outlook = world_.Outlook();
    outlook.AddComAddIn(L"{0001}", L"First.Addin", L"First");
    outlook.AddComAddIn(L"{0002}", L"Second.Addin", L"Second");
    outlook.OpenExplorer();
    outlook.FailMember(L"COMAddIn.Description", static_cast<outlook::HResult>(0x800A01A8), L"Object required", 1);

    Connect();

    const std::string log = world_.LogFile("Main");
    EXPECT_NE(
        log.find(
            "COM add-ins:\nTotal 2 add-ins\n[ERROR] COM exception. Code 800a01a8. Description \"Object required\"\n"
            "Accounts:\n"),
        std::string::npos);
    EXPECT_EQ(addin_.ExplorerExtensionCount(), 1u);
    EXPECT_NE(addin_.ApplicationSink().Cookie(), outlook::kNotConnected);
}

TEST_P(StartupTest, TheHeaderListsTheAccountsAndExchangeAddressesAreResolvedAtStartUp) {
    auto& outlook = world_.Outlook();
    outlook.AddAccount({.type = outlook::olPop3, .displayName = L"Home", .smtpAddress = L"ann@home.example"});
    outlook.AddAccount(
        {.type = outlook::olExchange, .displayName = L"Work", .currentUserAddress = L"/o=Corp/cn=Recipients/cn=ann"});
    outlook.AddAccount({.type = outlook::olImap, .displayName = L"Google Apps - ann@apps.example"});
    const auto inbox = outlook.OpenExplorer();
    outlook.User().AtDialog(mailstore::kMapEmailDialogId, [](sim::DialogScreen& screen) {
        screen.Type(mailstore::kMapEmailAddressFieldId, L"ann@corp.example");
        screen.Press(platform::kDialogOk);
    });

    Connect();

    const std::string log = world_.LogFile("Main");
    if (GetParam() == 11) {
        EXPECT_NE(log.find("Accounts:\nTotal 3 accounts\n1, ann@home.example, NonEx, POP3, Home\n"
                           "2, /o=Corp/cn=Recipients/cn=ann, Ex, Exchange, Work\n"
                           "3, , NonEx, IMAP, Google Apps - ann@apps.example\n"),
                  std::string::npos)
            << log;
        // Only Outlook 2003 asks, over the main window.
        ASSERT_EQ(outlook.User().Dialogs().size(), 1u);
        EXPECT_EQ(outlook.User().Dialogs()[0].owner, inbox->Window());
        EXPECT_EQ(settings::SettingsStore::Instance().MappedAddress(L"/o=Corp/cn=Recipients/cn=ann"),
                  L"ann@corp.example");
    } else {
        // An Exchange account known only by its distinguished name is left out.
        EXPECT_NE(log.find("Accounts:\nTotal 2 accounts\n1, ann@home.example, NonEx, NA, Home\n"
                           "2, ann@apps.example, NonEx, IMAP, Google Apps - ann@apps.example\n"),
                  std::string::npos)
            << log;
        EXPECT_TRUE(outlook.User().Dialogs().empty());
    }
    EXPECT_TRUE(addin_.HasGoogleAppsAccount());
}

TEST_F(StartupOnceTest, SavedPasswordsFillThePasswordCache) {
    settings::CredentialList saved;
    saved.Add(L"ann@example.com", L"s3cret");
    settings::SavePasswordStorage(saved);

    Connect();

    EXPECT_EQ(settings::PasswordCache::Instance().FindPassword(L"ann@example.com"),
              std::optional<std::wstring>(L"s3cret"));
    EXPECT_NE(world_.LogFile("Main").find("Loading password storage in PasswordStorage.cpp("), std::string::npos);
}

// A worker that starts after Outlook's start (the attachment download) writes the header Outlook's thread gathered.
TEST_F(StartupOnceTest, WorkerLogsReuseTheFactsGatheredOnOutlooksThread) {
    auto& outlook = world_.Outlook();
    outlook.AddComAddIn(L"{6A2E3D0B-1C4F-4B8A-9E5D-2F7C8B1A0E93}", L"Sealwing.Addin", L"Secure mail");
    Connect();

    std::string downloadText;
    std::thread worker([&downloadText] {
        diagnostics::OpenThreadLog(L"Attachments");
        downloadText = diagnostics::CollectAllLogs();
        diagnostics::CloseThreadLog();
    });
    worker.join();

    EXPECT_EQ(outlook.WrongThreadCalls(), 0u);
    const std::string downloadLog = world_.LogFile("Attachments");
    EXPECT_NE(downloadLog.find("===Attachments log\n"), std::string::npos);
    EXPECT_NE(downloadLog.find("Outlook version " + platform::Utf8FromWide(outlook.Application()->Version())),
              std::string::npos);
    EXPECT_NE(downloadLog.find("Total 1 add-ins\n1 - {6A2E3D0B-1C4F-4B8A-9E5D-2F7C8B1A0E93} Sealwing.Addin\n"
                               "Secure mail\n"),
              std::string::npos);
}

TEST_F(StartupOnceTest, OneResponseIsPendingUntilItsWindowIsActivated) {
    auto& outlook = world_.Outlook();
    Connect();
    const auto received = outlook.CreateMailItem();
    const auto reply = outlook.CreateMailItem();
    const auto secondReply = outlook.CreateMailItem();
    service::SecureMessage message;
    message.subject = L"Quarterly figures";

    std::optional<PendingResponse> completed;
    addin_.SetResponseCompletion([&completed](PendingResponse response) { completed = std::move(response); });

    ASSERT_TRUE(addin_.RegisterPendingResponse(reply, received, message));
    EXPECT_FALSE(addin_.RegisterPendingResponse(secondReply, received, message));
    EXPECT_NE(addin_.ResponseSink().Cookie(), outlook::kNotConnected);

    const auto replyWindow = outlook.OpenInspector(reply);
    outlook.ActivateInspector(replyWindow);

    ASSERT_TRUE(completed.has_value());
    EXPECT_EQ(completed->received, received);
    EXPECT_EQ(completed->message.subject, L"Quarterly figures");
    EXPECT_FALSE(addin_.HasPendingResponse());
    EXPECT_EQ(addin_.ResponseSink().Cookie(), outlook::kNotConnected);
    EXPECT_TRUE(addin_.RegisterPendingResponse(secondReply, received, message));
}

TEST_F(StartupOnceTest, BodyTimersAreTakenOnceAndKilledAtDisconnection) {
    auto& outlook = world_.Outlook();
    Connect();
    const auto inspector = outlook.OpenInspector(outlook.CreateMailItem());
    auto& loop = outlook.Loop();
    const auto first = loop.SetTimer(100, [](platform::TimerId) {});
    const auto second = loop.SetTimer(100, [](platform::TimerId) {});
    addin_.AddBodyTimer(first, inspector, L"<p>first</p>");
    addin_.AddBodyTimer(second, inspector, L"<p>second</p>");

    const auto taken = addin_.TakeBodyTimer(first);
    ASSERT_TRUE(taken.has_value());
    EXPECT_EQ(taken->html, L"<p>first</p>");
    EXPECT_EQ(taken->inspector, inspector);
    EXPECT_FALSE(addin_.TakeBodyTimer(first).has_value());

    loop.KillTimer(first);
    addin_.OnDisconnection(outlook::ext_dm_HostShutdown);
    EXPECT_EQ(loop.ActiveTimers(), 0u);
    EXPECT_FALSE(addin_.TakeBodyTimer(second).has_value());
}

// A settings file that cannot be read starts the add-in with defaults; the Main log says so once, however often the
// add-in connects.
TEST_F(StartupOnceTest, ADamagedSettingsFileIsReportedOnceInTheMainLog) {
    platform::TempFolder folder;
    const std::string file = folder.Narrow() + "/registry.txt";
    std::ofstream(file, std::ios::binary) << "SealwingRegistry 1\n[Software]\ngarbage\n";
    platform::FileRegistry damaged(folder.Path() + L"/registry.txt");
    platform::Platform withDamage = platform::CurrentPlatform();
    withDamage.registry = &damaged;
    const platform::ScopedPlatform scoped(withDamage);

    Connect();
    addin_.OnDisconnection(outlook::ext_dm_HostShutdown);
    Connect();
    // The platform record goes back when this test ends: no thread of the add-in may still read it then.
    addin_.OnDisconnection(outlook::ext_dm_HostShutdown);

    const std::string log = world_.LogFile("Main");
    EXPECT_EQ(Occurrences(log, "WARNING! Registry file " + file + ": "), 1u) << log;
    EXPECT_EQ(Occurrences(log, "The file will be kept as " + file + ".corrupt at the first change.\n"), 1u);
}

// Outlook closing while a message is on its way: the user is told it stays in Drafts, and the add-in's end neither
// waits for the upload nor loses the draft. An idle queue says nothing.
TEST_F(StartupOnceTest, QuitWarnsOfMessagesOnTheirWayAndTheEndKeepsThemInDrafts) {
    auto& outlook = world_.Outlook();
    outlook.OpenExplorer();
    Connect();
    ASSERT_NE(addin_.SendQueue(), nullptr);
    outlook.Quit();
    EXPECT_TRUE(outlook.User().Shown().empty()) << "nothing on its way, nothing to say";

    world_.Service().State().AddAccount({.email = "ann@example.com", .password = "pw"});
    settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"pw");
    const auto held = world_.Service().Faults().Hold(localservice::Endpoint::Send);
    const auto draft = outlook.CreateMailItem();
    draft->Save();
    const long heldByOutlook = draft.use_count();
    service::OutgoingMessage message;
    message.item = draft;
    message.email = L"ann@example.com";
    message.recipients = L"bob@example.com";
    ASSERT_TRUE(addin_.SendQueue()->Enqueue(std::move(message)));
    ASSERT_TRUE(world_.Service().Requests().WaitForCount(1, std::chrono::seconds(30)));

    outlook.Quit();
    ASSERT_EQ(outlook.User().Shown().size(), 1u);
    const auto& warning = outlook.User().Shown()[0].request;
    EXPECT_EQ(warning.text, kUnsentMessagesText);
    EXPECT_EQ(warning.caption, L"Parcelon for Microsoft Outlook");
    EXPECT_EQ(warning.icon, platform::MessageBoxIcon::Warning);
    EXPECT_EQ(warning.owner, addin_.OwnerWindow());

    EXPECT_EQ(addin_.OnDisconnection(outlook::ext_dm_HostShutdown), 0);
    EXPECT_EQ(addin_.SendQueue(), nullptr);
    held->Release();
    EXPECT_EQ(draft->Folder(), outlook.Folder(outlook::olFolderDrafts));
    EXPECT_EQ(draft.use_count(), heldByOutlook) << "the queue let the draft go";
}

INSTANTIATE_TEST_SUITE_P(Outlook, StartupTest, ::testing::Values(11, 12, 14),
                         [](const auto& info) { return "Outlook" + std::to_string(info.param); });

}  // namespace
}  // namespace sealwing
