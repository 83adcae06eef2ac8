// The crash report as the user meets it: a log whose previous run ended during an operation offers that run's text
// when it opens, the user may look at it in the log viewer first, and Send delivers it to the service.

#include "diagnostics/CrashReport.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "addin/SealwingAddin.h"
#include "diagnostics/CrashReportDialogTemplate.h"
#include "diagnostics/Log.h"
#include "diagnostics/LogViewer.h"
#include "diagnostics/LogViewerDialogTemplate.h"
#include "localservice/Faults.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "service/ServiceOperations.h"
#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

using namespace diagnostics;
using localservice::Endpoint;
using localservice::Fault;
using testing::OutlookWorld;

constexpr const char* kLogReportTarget = "/secure/log/outlookEventReport";

// A main log cut off by a crash in the middle of an operation: its marker still says OPEN. "Caf\xC3\xA9" is the
// ANSI text of this platform (UTF-8), which must reach the service unchanged.
const std::string kCrashedMainLog =
    "OPEN  \n===Main log\n2026-12-09 17:00\n2026-12-09 17:01:02 Log opened...\n"
    "Reading the Caf\xC3\xA9 notice in ExplorerExtension.cpp(210)\n";

class CrashReportTest : public ::testing::Test {
protected:
    CrashReportTest() {
        // The add-in's own version: start-up's version check has nothing to say.
        world_.Service().State().SetVersion({.major = 1, .minor = 38});
        InstallCrashReportOffer(&service::UploadCrashReport);
    }

    // Leaves the file that the log of that name finds from its previous run.
    static void LeavePreviousLog(const std::wstring& name, const std::string& text) {
        platform::FileSystem& files = platform::Files();
        const std::wstring folder = files.Join(LocalFolder(), L"Parcelon");
        files.CreateFolder(folder);
        ASSERT_TRUE(files.ReplaceFile(files.Join(folder, name + L".log"), text, platform::FileAccess::Default).ok);
    }

    static std::wstring LocalFolder() { return platform::Files().KnownFolderPath(platform::KnownFolder::LocalAppData); }

    void Connect() { ASSERT_EQ(addin_.OnConnection(world_.Outlook().Application(), outlook::ext_cm_Startup), 0); }

    sim::ScriptedUser& User() { return world_.Outlook().User(); }
    std::vector<std::string> ReportsReceived() { return world_.Service().State().LogReports(); }
    std::size_t ReportRequests() {
        std::size_t count = 0;
        for (const auto& request : world_.Service().Requests().All()) count += request.target == kLogReportTarget;
        return count;
    }

    OutlookWorld world_{14};
    CSealwingAddin addin_;
};

sim::ScriptedUser::DialogScript Press(int controlId) {
    return [controlId](sim::DialogScreen& screen) { screen.Press(controlId); };
}

TEST_F(CrashReportTest, ACrashInTheLastRunIsOfferedAtStartUpAndSendDeliversThatRunsLogAsItWas) {
    LeavePreviousLog(L"Main", kCrashedMainLog);
    User().AtDialog(kCrashReportDialogId, Press(kSendReportId));

    Connect();

    ASSERT_EQ(User().Dialogs().size(), 1u);
    const sim::ShownDialog& offer = User().Dialogs()[0];
    EXPECT_EQ(offer.templateId, kCrashReportDialogId);
    EXPECT_EQ(offer.caption, L"Parcelon for Microsoft Outlook crash report");
    EXPECT_EQ(offer.owner, platform::kNoWindow);
    EXPECT_EQ(offer.result, platform::kDialogOk);
    EXPECT_EQ(ReportsReceived(), std::vector<std::string>{kCrashedMainLog});
    EXPECT_TRUE(User().Shown().empty()) << "a delivered report shows no box";
    // Offered as the main log opens, before start-up's own requests; start-up then goes on with a fresh log.
    const auto requests = world_.Service().Requests().All();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front().target, kLogReportTarget);
    EXPECT_TRUE(addin_.IsConnected());
    EXPECT_TRUE(world_.LogFile("Main").starts_with("CLOSED\n===Main log\n"));
}

TEST_F(CrashReportTest, AnUploadAnsweredWith500ShowsTheErrorBoxWithCodeZeroAndStatus500) {
    world_.Service().Faults().Set(Endpoint::LogReport, Fault{.status = 500});
    LeavePreviousLog(L"Main", kCrashedMainLog);
    User().AtDialog(kCrashReportDialogId, Press(kSendReportId));

    OpenThreadLog(L"Main");

    EXPECT_EQ(ReportRequests(), 1u);
    EXPECT_TRUE(ReportsReceived().empty());
    ASSERT_EQ(User().Shown().size(), 1u);
    const platform::MessageBoxRequest& box = User().Shown()[0].request;
    EXPECT_EQ(box.text,
              L"There was an error while submitting logs to the server.The error code is 0. Server response code is "
              L"500. Please contact support");
    EXPECT_EQ(box.caption, L"Parcelon for Microsoft Outlook");
    EXPECT_EQ(box.icon, platform::MessageBoxIcon::Error);
    EXPECT_EQ(box.buttons, platform::MessageBoxButtons::Ok);
    EXPECT_EQ(box.owner, platform::kNoWindow);
    EXPECT_TRUE(world_.LogFile("Main").starts_with("CLOSED\n")) << "the thread goes on with its work";
}

TEST_F(CrashReportTest, AnUploadThatGetsNoAnswerShowsTheEnginesCodeAndStatusZero) {
    world_.Service().Faults().Set(Endpoint::LogReport, Fault{.drop = localservice::Drop::BeforeReply});
    LeavePreviousLog(L"Main", kCrashedMainLog);
    User().AtDialog(kCrashReportDialogId, Press(kSendReportId));

    OpenThreadLog(L"Main");

    ASSERT_EQ(User().Shown().size(), 1u);
    const std::string text = platform::Utf8FromWide(User().Shown()[0].request.text);
    EXPECT_TRUE(std::regex_match(text, std::regex("There was an error while submitting logs to the server\\.The error "
                                                  "code is [1-9][0-9]*\\. Server response code is 0\\. Please contact "
                                                  "support")))
        << text;
}

TEST_F(CrashReportTest, CancelOrEscapeDropsTheReportWithoutSendingAnything) {
    const std::vector<std::pair<const char*, sim::ScriptedUser::DialogScript>> ways = {
        {"Cancel", Press(kDropReportId)},
        {"Escape", [](sim::DialogScreen& screen) { screen.Close(); }},
    };
    for (const auto& [name, way] : ways) {
        SCOPED_TRACE(name);
        ResetActivityLogsForTests();
        InstallCrashReportOffer(&service::UploadCrashReport);
        LeavePreviousLog(L"Main", kCrashedMainLog);
        User().AtDialog(kCrashReportDialogId, way);

        OpenThreadLog(L"Main");

        ASSERT_FALSE(User().Dialogs().empty());
        EXPECT_EQ(User().Dialogs().back().result, platform::kDialogCancel);
    }
    EXPECT_EQ(User().Dialogs().size(), 2u);
    EXPECT_EQ(ReportRequests(), 0u);
    EXPECT_TRUE(User().Shown().empty());
}

TEST_F(CrashReportTest, ViewContentShowsTheReportWithCarriageReturnsOverTheCrashDialogAndReturnsToIt) {
    LeavePreviousLog(L"Main", kCrashedMainLog);
    platform::WindowHandle crashWindow = platform::kNoWindow;
    bool openAfterViewing = false;
    User().AtDialog(kCrashReportDialogId, [&](sim::DialogScreen& screen) {
        crashWindow = screen.Window();
        screen.Press(kViewReportId);
        openAfterViewing = !screen.Ended();
        screen.Press(kSendReportId);
    });
    User().AtDialog(kLogViewerDialogId, Press(kCloseLogViewerId));

    OpenThreadLog(L"Main");

    ASSERT_EQ(User().Dialogs().size(), 2u);
    const sim::ShownDialog& viewer = User().Dialogs()[1];
    EXPECT_EQ(viewer.templateId, kLogViewerDialogId);
    EXPECT_EQ(viewer.caption, L"Parcelon for Microsoft Outlook - Activity log");
    EXPECT_NE(crashWindow, platform::kNoWindow);
    EXPECT_EQ(viewer.owner, crashWindow);
    EXPECT_EQ(viewer.opened.at(kLogTextId).text,
              L"OPEN  \r\n===Main log\r\n2026-12-09 17:00\r\n2026-12-09 17:01:02 Log opened...\r\n"
              L"Reading the Caf\u00e9 notice in ExplorerExtension.cpp(210)\r\n");
    EXPECT_EQ(viewer.result, 0);
    EXPECT_TRUE(openAfterViewing);
    EXPECT_EQ(ReportsReceived(), std::vector<std::string>{kCrashedMainLog}) << "viewing changes nothing that is sent";
}

TEST_F(CrashReportTest, ACrashInTheWorkersLastRunIsOfferedWhenTheWorkerStartsNotAtOutlooksStart) {
    const std::string crashedDownloadLog = "OPEN  \n===Attachments log\nDownloading attachment in Download.cpp(88)\n";
    LeavePreviousLog(L"Attachments", crashedDownloadLog);

    Connect();
    EXPECT_TRUE(User().Dialogs().empty()) << "Outlook's start offered the worker's report";

    User().AtDialog(kCrashReportDialogId, Press(kSendReportId));
    std::thread worker([] {
        OpenThreadLog(L"Attachments");
        CloseThreadLog();
    });
    worker.join();

    ASSERT_EQ(User().Dialogs().size(), 1u);
    EXPECT_EQ(User().Dialogs()[0].templateId, kCrashReportDialogId);
    EXPECT_EQ(ReportsReceived(), std::vector<std::string>{crashedDownloadLog});
    EXPECT_EQ(world_.Outlook().WrongThreadCalls(), 0u);
}

// --- The viewer on its own, as the About dialog shows it ------------------------------------------------------------

TEST_F(CrashReportTest, SaveAsReplacesAnExistingFileWithTheTextAsReceivedWithoutAsking) {
    const std::string text = "===Main log\nfirst line\n\nlast line without end";
    const std::wstring path = platform::Files().Join(LocalFolder(), L"activity.txt");
    ASSERT_TRUE(platform::Files().ReplaceFile(path, std::string(4000, 'x'), platform::FileAccess::Default).ok);
    const auto inbox = world_.Outlook().OpenExplorer();
    platform::WindowHandle viewerWindow = platform::kNoWindow;
    User().AnswerSaveFile(path);
    User().AtDialog(kLogViewerDialogId, [&viewerWindow](sim::DialogScreen& screen) {
        viewerWindow = screen.Window();
        screen.Press(kSaveLogId);
        screen.Close();
    });

    ShowLogViewer(text, inbox->Window());

    EXPECT_EQ(platform::Files().ReadFile(path).bytes, text);
    ASSERT_EQ(User().SaveFileDialogs().size(), 1u);
    const platform::SaveFileRequest& asked = User().SaveFileDialogs()[0].request;
    EXPECT_EQ(asked.owner, viewerWindow);
    EXPECT_EQ(asked.filterName, L"Text files(*.txt)");
    EXPECT_EQ(asked.filterPattern, L"*.txt");
    EXPECT_EQ(asked.defaultExtension, L"txt");
    ASSERT_EQ(User().Dialogs().size(), 1u);
    EXPECT_EQ(User().Dialogs()[0].owner, inbox->Window());
    EXPECT_EQ(User().Dialogs()[0].result, 0) << "Escape ends the viewer with 0";
    EXPECT_TRUE(User().Shown().empty()) << "replacing a file asks nothing";
}

TEST_F(CrashReportTest, ASaveThatFailsShowsTheUserNothingAndIsLogged) {
    OpenThreadLog(L"Main");
    const std::wstring path = platform::Files().Join(LocalFolder(), L"no such folder/activity.txt");
    User().AnswerSaveFile(path);
    User().AtDialog(kLogViewerDialogId, [](sim::DialogScreen& screen) {
        screen.Press(kSaveLogId);
        screen.Press(kCloseLogViewerId);
    });

    ShowLogViewer("text\n", platform::kNoWindow);

    EXPECT_TRUE(User().Shown().empty());
    EXPECT_EQ(User().Dialogs().at(0).result, 0);
    EXPECT_NE(world_.LogFile("Main").find("[ERROR] Cannot save the activity log to " + platform::Utf8FromWide(path)),
              std::string::npos);
}

TEST_F(CrashReportTest, SavingOverTheRunningMainLogIsRefusedAndTheLogGoesOnInItsFile) {
    OpenThreadLog(L"Main");
    LogWrite(L"before the save\n");
    const std::wstring mainLog =
        platform::Files().Join(platform::Files().Join(LocalFolder(), L"Parcelon"), L"Main.log");
    User().AnswerSaveFile(mainLog);
    User().AtDialog(kLogViewerDialogId, [](sim::DialogScreen& screen) {
        screen.Press(kSaveLogId);
        screen.Press(kCloseLogViewerId);
    });

    ShowLogViewer("the viewer's text\n", platform::kNoWindow);
    LogWrite(L"after the save\n");

    EXPECT_TRUE(User().Shown().empty());
    const std::string log = world_.LogFile("Main");
    EXPECT_EQ(log.find("the viewer's text"), std::string::npos);
    EXPECT_NE(log.find("before the save"), std::string::npos);
    EXPECT_NE(log.find("[ERROR] Cannot save the activity log to " + platform::Utf8FromWide(mainLog)),
              std::string::npos);
    EXPECT_NE(log.find("after the save"), std::string::npos);
}

}  // namespace
}  // namespace sealwing
