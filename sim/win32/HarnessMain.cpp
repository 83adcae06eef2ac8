// sealwing_harness.exe: plays Outlook for the real add-in DLL. It serves the simulated Outlook through COM, creates
// the add-in as Outlook does and drives a scenario, then reports on stdout what the simulation saw. Exit status 0
// when every check held, 1 otherwise, 2 for a usage error.
//
//   sealwing_harness.exe [--dll <path>] [--outlook-version 11|12|14] [--scenario startup|mailstore|story]
//                        [--trust-ca <pem file>] [--expect-version <major>.<minor>|missing]
//                        [--service-record <folder>]
//
// The add-in reaches the service named by its endpoint override (SEALWING_SERVICE_ENDPOINT); --trust-ca trusts that
// service's test CA in the prefix's root store for this run only. --expect-version says what start-up's version check
// must find there: that version, offered as newer than the add-in, or no version file (404) and so the warning box.
//
// Scenarios: "startup" connects the add-in to Outlook with windows open and disconnects it; "mailstore" follows the
// add-in below the object model, into the MAPI store and Outlook's account-management service: the account list
// start-up reads from the service, and (Outlook 2007 on) a copy of a secure message arriving in a Google Apps store,
// which the add-in recognises by its Internet header, marks read and deletes for good. "story" is the user's day with
// the add-in (HarnessStory.h); the service records its requests in the --service-record folder for it.
//
// Like Outlook, the harness registers the account-management service's class in its process while it runs.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <exception>
#include <string>
#include <vector>

#include "outlook/AccountManagement.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/testdata/RootTrust.h"
#include "sim/AddinCallback.h"
#include "sim/SimOutlook.h"
#include "sim/win32/AddinHost.h"
#include "sim/win32/EventForwarder.h"
#include "sim/win32/FrameWindows.h"
#include "sim/win32/HarnessPlatform.h"
#include "sim/win32/HarnessStory.h"
#include "sim/win32/HarnessSupport.h"
#include "sim/win32/MessageBoxWatch.h"
#include "sim/win32/ServeAccountManager.h"
#include "sim/win32/ServeMapi.h"
#include "sim/win32/ServeObjects.h"

namespace sealwing::sim::win32 {
namespace {

struct Options {
    std::wstring dllPath;
    int majorVersion = 12;
    std::wstring scenario = L"startup";
    std::wstring trustCa;
    std::wstring expectedVersion;  // "major.minor", kVersionMissing, or empty for no expectation
    std::wstring serviceRecord;    // where the service writes the requests it received (the story)
};

constexpr const wchar_t* kVersionMissing = L"missing";

std::size_t JournalCount(const SimOutlook& outlook, const std::wstring& entry) {
    std::size_t count = 0;
    for (const auto& line : outlook.Journal()) count += line == entry ? 1 : 0;
    return count;
}
// The caption of the notice that announces a newer version.
constexpr const wchar_t* kNewVersionNoticeCaption = L"Parcelon for Microsoft Outlook";
constexpr const char* kVersionCheckFailedText =
    "Parcelon for Microsoft Outlook was not able to check if a new version is available";

// Start-up's version check as its own log, the add-in's main log and the user saw it, against the service that the
// script started.
void CheckVersionCheck(Report& report, const std::wstring& expected, const std::string& checkLog,
                       const std::string& mainLog, const std::vector<SeenMessageBox>& boxes, HWND mainWindow) {
    report.Check(Occurrences(checkLog, "[NETWORK] Version check") == 1,
                 "version check asked the service once, from its own thread (VersionCheck.log)");
    report.Check(mainLog.find("[NETWORK]") == std::string::npos, "Outlook's thread made no request at start-up");
    if (expected == kVersionMissing) {
        report.Check(checkLog.find("Error 0, response 404") != std::string::npos,
                     "the service has no version file (404)");
        const bool warned = boxes.size() == 1 && boxes[0].caption == L"Security warning" &&
                            Narrow(boxes[0].text) == kVersionCheckFailedText && boxes[0].warningIcon;
        report.Check(warned, "exactly one \"Security warning\" box with a warning icon said: " +
                                 std::string(kVersionCheckFailedText) + " (" + std::to_string(boxes.size()) +
                                 " box(es) shown)");
        report.Check(warned && boxes[0].owner == mainWindow, "the box belongs to the active main window");
        return;
    }
    const std::string version = Narrow(expected);
    report.Check(checkLog.find("Error 0, response 200") != std::string::npos, "the service answered 200");
    report.Check(checkLog.find("Version on server is " + version) != std::string::npos,
                 "log: Version on server is " + version);
    // The new-version notice is a dialog of the DLL's own; the watch closes it as the user would.
    const bool announced = boxes.size() == 1 && boxes[0].caption == kNewVersionNoticeCaption;
    report.Check(announced, "exactly one new-version notice \"" + Narrow(kNewVersionNoticeCaption) + "\" (" +
                                std::to_string(boxes.size()) + " dialog(s) shown)");
    report.Check(announced && boxes[0].owner == mainWindow, "the notice belongs to the active main window");
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
    for (const auto& entry : lines) {
        if (entry == line) return true;
    }
    return false;
}

// Below the object model: start-up's account list from the account-management service (the legacy path, which the
// add-in takes in every version to map Exchange accounts, and for its log header on Outlook 2003), and from Outlook
// 2010 on a Google Apps copy of a secure message that arrives with NewMailEx: its header is read, the copy marked
// read and deleted through IMAPIFolder::DeleteMessages; a message without the header stays as it came. Outlook 2007
// delivers the same mail to an add-in that leaves it alone.
bool RunMailStore(const Options& options) {
    Report report;
    platform::SystemClock clock;
    SimOutlook outlook(SimOptions{.majorVersion = options.majorVersion}, clock);
    const HarnessPlatform platform(outlook);
    constexpr const wchar_t* kAppsStore = L"Google Apps - ann@apps.example";
    outlook.AddAccount({.type = outlook::olPop3, .displayName = L"Home", .smtpAddress = L"ann@home.example"});
    outlook.AddStore(kAppsStore);
    outlook.AddAccount({.type = outlook::olImap,
                        .displayName = kAppsStore,
                        .smtpAddress = L"ann@apps.example",
                        .deliveryStore = kAppsStore});
    const ScopedAccountOptions appsOptions(L"ann@apps.example", 1 /* Sent-folder copy */, 0 /* no service copy */);
    report.Check(appsOptions.Written(), "options of ann@apps.example written: Place 1, CC 0");

    const std::wstring logPath = MainLogPath();
    DeleteFileW(logPath.c_str());
    const auto inbox = outlook.OpenExplorer(L"Inbox - Microsoft Outlook");
    outlook.ActivateExplorer(inbox);
    FrameWindows frames;
    const MessageBoxWatch boxes;
    const std::size_t managersBefore = AccountManagersServed();

    LoadedAddin addin;
    if (!addin.Load(options.dllPath, outlook, report)) return false;

    const std::size_t managers = AccountManagersServed() - managersBefore;
    report.Check(managers >= 1, "start-up listed the accounts through CoCreateInstance(CLSID_OlkAccountManager) (" +
                                    std::to_string(managers) + " manager(s) made)");
    report.Check(OutstandingAccountMemory() == 0 && ForeignAccountMemoryFrees() == 0,
                 "every string and order array the service handed out came back through its FreeMemory (" +
                     std::to_string(OutstandingAccountMemory()) + " outstanding, " +
                     std::to_string(ForeignAccountMemoryFrees()) + " foreign)");
    report.Check(LiveAccountObjects() == 0, "the add-in released the manager, its enumerators and accounts (" +
                                                std::to_string(LiveAccountObjects()) + " alive)");
    const std::string log = ReadText(logPath);
    // Outlook 2003's header comes from the service (its type text), later ones' from the object model.
    const std::string home =
        options.majorVersion == 11 ? "1, ann@home.example, NonEx, POP3, Home" : "1, ann@home.example, NonEx, NA, Home";
    const std::string apps = "2, ann@apps.example, NonEx, IMAP, Google Apps - ann@apps.example";
    report.Check(log.find(home) != std::string::npos && log.find(apps) != std::string::npos,
                 "the log header lists the accounts: \"" + home + "\", \"" + apps + "\"");
    if (options.majorVersion == 11) {
        report.Check(Contains(MapiCallJournal(), L"Session.OpenProfileSection 0x00000000"),
                     "Outlook 2003: the profile's name came from the global profile section (IMAPISession)");
    }

    if (options.majorVersion >= 12) {
        const auto copy = outlook.AddReceivedMail({.subject = L"Copy of a secure message",
                                                   .transportHeaders = L"Received: x\r\nX-Parcelon-Copy: true\r\n",
                                                   .store = kAppsStore});
        const auto plain = outlook.AddReceivedMail(
            {.subject = L"Ordinary mail", .transportHeaders = L"Received: x\r\nSubject: hi\r\n", .store = kAppsStore});
        const std::size_t deletionStart = MapiCallJournal().size();
        outlook.DeliverNewMail({copy, plain});
        const std::vector<std::wstring> deletion(MapiCallJournal().begin() + static_cast<std::ptrdiff_t>(deletionStart),
                                                 MapiCallJournal().end());
        for (const auto& line : deletion) report.Note("MAPI: " + Narrow(line));
        report.Check(!plain->IsDeleted() && plain->UnRead(), "the message without the header stays, unread");
        report.Check(outlook.Folder(outlook::olFolderDeletedItems, kAppsStore)->Items().empty(),
                     "nothing went to Deleted Items");
        if (options.majorVersion >= 14) {
            report.Check(copy->IsDeleted(), "the Google Apps copy with \"X-Parcelon-Copy: true\" was deleted for good");
            report.Check(!copy->UnRead(), "the copy was marked read before it went");
            report.Check(
                deletion == std::vector<std::wstring>{L"Session.OpenMsgStore 0x00000011",
                                                      L"MsgStore.OpenEntry 0x00000010", L"Folder.DeleteMessages 1"},
                "deleted with OpenMsgStore(MDB_NO_DIALOG | MAPI_BEST_ACCESS), OpenEntry(MAPI_BEST_ACCESS) "
                "and one DeleteMessages");
        } else {
            // Outlook 2007's accounts have no DeliveryStore to find the Sent folder in: new mail is not looked at.
            report.Check(!copy->IsDeleted() && copy->UnRead(), "Outlook 2007: the copy stays, unread");
            report.Check(deletion.empty(), "Outlook 2007: nothing was opened in the store");
            report.Check(ReadText(logPath).find("[ERROR] COM exception") == std::string::npos,
                         "Outlook 2007: the log has no automation error");
        }
    }
    for (const SeenMessageBox& box : boxes.Seen()) {
        report.Note("message box \"" + Narrow(box.caption) + "\": " + Narrow(box.text));
    }
    report.Check(boxes.Seen().empty(), "no message box (" + std::to_string(boxes.Seen().size()) + " shown)");

    addin.Unload(report);
    report.Check(LiveMapiObjects() == 0,
                 "every MAPI object served was released (" + std::to_string(LiveMapiObjects()) + " alive)");
    report.Check(LiveAccountObjects() == 0, "every account-management object served was released");
    report.Check(outlook.WrongThreadCalls() == 0, "no call from a wrong thread");
    CheckNoEscapedExceptions(report, ReadText(logPath));
    return !report.Failed();
}

// Windows opened before the add-in connects, OnConnection at start-up, OnDisconnection at shutdown.
bool RunStartup(const Options& options) {
    Report report;
    platform::SystemClock clock;
    SimOutlook outlook(SimOptions{.majorVersion = options.majorVersion}, clock);
    const HarnessPlatform platform(outlook);

    const std::wstring logPath = MainLogPath();
    DeleteFileW(logPath.c_str());  // this run's logs only
    DeleteFileW(LogPath(L"VersionCheck").c_str());

    const auto inbox = outlook.OpenExplorer(L"Inbox - Microsoft Outlook");
    outlook.OpenExplorer(L"Calendar - Microsoft Outlook");
    outlook.OpenInspector(outlook.CreateMailItem());
    outlook.OpenInspector(outlook.CreateMailItem());
    outlook.ActivateExplorer(inbox);
    const std::size_t journalBefore = outlook.Journal().size();

    FrameWindows frames;  // before anything is served
    const MessageBoxWatch boxes;
    LoadedAddin addin;
    if (!addin.Load(options.dllPath, outlook, report)) return false;

    for (std::size_t at = journalBefore; at < outlook.Journal().size(); ++at) {
        report.Note("journal: " + Narrow(outlook.Journal()[at]));
    }
    report.Check(JournalCount(outlook, L"Advise ExplorerEvents") == 2, "both open explorers wrapped (ExplorerEvents)");
    report.Check(JournalCount(outlook, L"Advise InspectorEvents") == 2,
                 "both open inspectors wrapped (InspectorEvents)");
    std::vector<std::wstring> collections;
    for (const auto& entry : outlook.Journal()) {
        if (entry.ends_with(L"InspectorsEvents") || entry.ends_with(L"ExplorersEvents") ||
            entry.ends_with(L"ApplicationEvents")) {
            collections.push_back(entry);
        }
    }
    report.Check(collections == std::vector<std::wstring>{L"Advise InspectorsEvents", L"Advise ExplorersEvents",
                                                          L"Advise ApplicationEvents"},
                 "collection sinks connected in order Inspectors, Explorers, Application");
    // Three collections, each window and each draft's item; then the add-in's command bar buttons: Send Secure and
    // Options in each compose window on 2003, Configuration and About in each main window before 2010.
    const std::size_t buttons = options.majorVersion == 11 ? 8 : options.majorVersion == 12 ? 4 : 0;
    report.Check(outlook.AdvisedSinks() == 9 + buttons,
                 "sinks open after start-up: " + std::to_string(outlook.AdvisedSinks()) + ", expected " +
                     std::to_string(9 + buttons));

    // The version check runs on a thread of its own; its outcome reaches Outlook's thread as a posted message.
    if (!options.expectedVersion.empty()) {
        // A missing version file shows the warning box, a newer version the notice: either way one dialog.
        const bool arrived = PumpMessagesUntil([&] { return !boxes.Seen().empty(); }, std::chrono::seconds(60));
        report.Check(arrived, "the version check's outcome reached Outlook's thread");
    }

    const std::string log = ReadText(logPath);
    report.Check(log.find("===Main log") != std::string::npos,
                 "Main log written with its header at " + Narrow(logPath));
    const std::string version = Narrow(outlook.Application()->Version());
    report.Check(log.find("Outlook version " + version) != std::string::npos, "log names Outlook version " + version);
    for (const SeenMessageBox& box : boxes.Seen()) {
        report.Note("message box \"" + Narrow(box.caption) + "\": " + Narrow(box.text) +
                    (box.warningIcon ? " (warning icon)" : ""));
    }
    if (!options.expectedVersion.empty()) {
        CheckVersionCheck(report, options.expectedVersion, ReadText(LogPath(L"VersionCheck")), log, boxes.Seen(),
                          frames.For(inbox->FrameWindow()));
    }

    addin.Unload(report);
    report.Check(outlook.AdvisedSinks() == 0,
                 "everything unadvised after disconnection (open: " + std::to_string(outlook.AdvisedSinks()) + ")");
    report.Check(outlook.WrongThreadCalls() == 0, "no call from a wrong thread");
    for (const auto& failed : EventFailures()) report.Note("event failed: " + Narrow(failed));
    report.Check(EventFailures().empty(), "every event reached the add-in");
    CheckNoEscapedExceptions(report, ReadText(logPath));

    return !report.Failed();
}

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
    for (int at = 1; at < argc; ++at) {
        const std::wstring argument = argv[at];
        const bool hasValue = at + 1 < argc;
        if (argument == L"--dll" && hasValue) {
            options.dllPath = argv[++at];
        } else if (argument == L"--outlook-version" && hasValue) {
            options.majorVersion = static_cast<int>(std::wcstol(argv[++at], nullptr, 10));
        } else if (argument == L"--scenario" && hasValue) {
            options.scenario = argv[++at];
        } else if (argument == L"--trust-ca" && hasValue) {
            options.trustCa = argv[++at];
        } else if (argument == L"--expect-version" && hasValue) {
            options.expectedVersion = argv[++at];
        } else if (argument == L"--service-record" && hasValue) {
            options.serviceRecord = argv[++at];
        } else {
            return false;
        }
    }
    return options.majorVersion == 11 || options.majorVersion == 12 || options.majorVersion == 14;
}

}  // namespace
}  // namespace sealwing::sim::win32

int wmain(int argc, wchar_t** argv) {
    using namespace sealwing::sim::win32;
    Options options;
    if (!ParseOptions(argc, argv, options) ||
        (options.scenario != L"startup" && options.scenario != L"mailstore" && options.scenario != L"story")) {
        std::fprintf(
            stderr,
            "usage: sealwing_harness [--dll <path>] [--outlook-version 11|12|14] [--scenario startup|mailstore|story]\n"
            "                        [--trust-ca <pem file>] [--expect-version <major>.<minor>|missing]\n"
            "                        [--service-record <folder>]\n");
        return 2;
    }
    std::printf("scenario %s, Outlook %d, add-in from %s\n", Narrow(options.scenario).c_str(), options.majorVersion,
                options.dllPath.empty() ? "its registered class" : Narrow(options.dllPath).c_str());
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        std::printf("FAIL CoInitializeEx\n");
        return 1;
    }
    // Trusted before the DLL is loaded, which is before its first connection; forgotten whatever happened.
    if (!options.trustCa.empty()) {
        if (const std::string error = sealwing::platform::win32::testing::TrustRootCertificate(options.trustCa);
            !error.empty()) {
            std::printf("FAIL trust the service's CA: %s\n", error.c_str());
            CoUninitialize();
            return 1;
        }
    }
    sealwing::sim::SetAddinCallbackFailureHandler(&RecordSimulationFailure);
    bool passed = false;
    {
        const ScopedAccountManagerClass accountManagerClass;
        if (FAILED(accountManagerClass.Result())) {
            std::printf("FAIL register the account-management class: 0x%08lX\n",
                        static_cast<unsigned long>(accountManagerClass.Result()));
        } else {
            try {
                if (options.scenario == L"story") {
                    passed = RunStory(options.dllPath, options.majorVersion, options.serviceRecord);
                } else {
                    passed = options.scenario == L"mailstore" ? RunMailStore(options) : RunStartup(options);
                }
            } catch (const std::exception& error) {
                std::printf("FAIL the scenario stopped: %s\n", error.what());
            }
        }
    }
    if (!options.trustCa.empty()) {
        if (const std::string error = sealwing::platform::win32::testing::ForgetRootCertificate(options.trustCa);
            !error.empty()) {
            std::printf("FAIL forget the service's CA: %s\n", error.c_str());
            passed = false;
        }
    }
    CoUninitialize();
    std::printf("%s\n", passed ? "PASSED" : "FAILED");
    return passed ? 0 : 1;
}
