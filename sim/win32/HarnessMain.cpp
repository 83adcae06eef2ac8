// sealwing_harness.exe: plays Outlook for the real add-in DLL. It serves the simulated Outlook through COM, creates
// the add-in as Outlook does and drives a scenario, then reports on stdout what the simulation saw. Exit status 0
// when every check held, 1 otherwise, 2 for a usage error.
//
//   sealwing_harness.exe [--dll <path>] [--outlook-version 11|12|14] [--scenario startup]
//                        [--trust-ca <pem file>] [--expect-version <major>.<minor>|missing]
//
// The add-in reaches the service named by its endpoint override (SEALWING_SERVICE_ENDPOINT); --trust-ca trusts that
// service's test CA in the prefix's root store for this run only. --expect-version says what start-up's version check
// must find there: that version, offered as newer than the add-in, or no version file (404) and so the warning box.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <exception>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/testdata/RootTrust.h"
#include "sim/SimOutlook.h"
#include "sim/win32/AddinHost.h"
#include "sim/win32/EventForwarder.h"
#include "sim/win32/FrameWindows.h"
#include "sim/win32/HarnessPlatform.h"
#include "sim/win32/MessageBoxWatch.h"
#include "sim/win32/ServeObjects.h"

namespace sealwing::sim::win32 {
namespace {

struct Options {
    std::wstring dllPath;
    int majorVersion = 12;
    std::wstring scenario = L"startup";
    std::wstring trustCa;
    std::wstring expectedVersion;  // "major.minor", kVersionMissing, or empty for no expectation
};

constexpr const wchar_t* kVersionMissing = L"missing";
constexpr const char* kVersionCheckFailedText =
    "Parcelon for Microsoft Outlook was not able to check if a new version is available";

// The outcome of a scenario: every check, printed as it is made, in ASCII (Wine's console garbles the rest).
class Report {
public:
    void Check(bool held, const std::string& what) {
        std::printf("%s %s\n", held ? "ok  " : "FAIL", what.c_str());
        if (!held) failed_ = true;
    }
    void Note(const std::string& what) { std::printf("     %s\n", what.c_str()); }
    bool Failed() const { return failed_; }

private:
    bool failed_ = false;
};

std::string Narrow(const std::wstring& text) { return platform::Utf8FromWide(text); }

std::size_t JournalCount(const SimOutlook& outlook, const std::wstring& entry) {
    std::size_t count = 0;
    for (const auto& line : outlook.Journal()) count += line == entry ? 1 : 0;
    return count;
}

std::string ReadText(const std::wstring& path) {
    platform::Win32FileSystem files;
    const auto read = files.ReadFile(path);
    return read.ok ? read.bytes : std::string();
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

// The rest of the log line that starts with `start`, or nothing when there is no such line.
std::string LineAfter(const std::string& log, const std::string& start) {
    const std::size_t at = log.find(start);
    if (at == std::string::npos) return {};
    const std::size_t end = log.find_first_of("\r\n", at);
    return log.substr(at + start.size(), end == std::string::npos ? std::string::npos : end - at - start.size());
}

std::string HexCode(HRESULT code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

// Start-up's version check as the add-in's log and the user saw it, against the service that the script started.
void CheckVersionCheck(Report& report, const std::wstring& expected, const std::string& log,
                       const std::vector<SeenMessageBox>& boxes, HWND mainWindow) {
    report.Check(Occurrences(log, "[NETWORK] Version check") == 1, "version check asked the service once");
    if (expected == kVersionMissing) {
        report.Check(log.find("Error 0, response 404") != std::string::npos, "the service has no version file (404)");
        const bool warned = boxes.size() == 1 && boxes[0].caption == L"Security warning" &&
                            Narrow(boxes[0].text) == kVersionCheckFailedText && boxes[0].warningIcon;
        report.Check(warned, "exactly one \"Security warning\" box with a warning icon said: " +
                                 std::string(kVersionCheckFailedText) + " (" + std::to_string(boxes.size()) +
                                 " box(es) shown)");
        report.Check(warned && boxes[0].owner == mainWindow, "the box belongs to the active main window");
        return;
    }
    const std::string version = Narrow(expected);
    report.Check(log.find("Error 0, response 200") != std::string::npos, "the service answered 200");
    report.Check(log.find("Version on server is " + version) != std::string::npos,
                 "log: Version on server is " + version);
    const std::string offer = LineAfter(log, "A newer version " + version + " is available at ");
    report.Check(offer.starts_with("https://"), "log: A newer version " + version + " is available at " + offer);
    report.Check(boxes.empty(), "no message box (" + std::to_string(boxes.size()) + " shown)");
}

// Windows opened before the add-in connects, OnConnection at start-up, OnDisconnection at shutdown.
bool RunStartup(const Options& options) {
    Report report;
    platform::SystemClock clock;
    SimOutlook outlook(SimOptions{.majorVersion = options.majorVersion}, clock);
    const HarnessPlatform platform(outlook);

    platform::Win32FileSystem files;
    const std::wstring logPath =
        files.Join(files.Join(files.KnownFolderPath(platform::KnownFolder::LocalAppData), L"Parcelon"), L"Main.log");
    DeleteFileW(logPath.c_str());  // this run's log only

    const auto inbox = outlook.OpenExplorer(L"Inbox - Microsoft Outlook");
    outlook.OpenExplorer(L"Calendar - Microsoft Outlook");
    outlook.OpenInspector(outlook.CreateMailItem());
    outlook.OpenInspector(outlook.CreateMailItem());
    outlook.ActivateExplorer(inbox);
    const std::size_t journalBefore = outlook.Journal().size();

    FrameWindows frames;  // before anything is served
    const MessageBoxWatch boxes;
    std::wstring failure;
    auto addin = CreateAddin(options.dllPath, failure);
    report.Check(static_cast<bool>(addin), "add-in created" + (failure.empty() ? "" : ": " + Narrow(failure)));
    if (!addin) return false;

    auto application = ServeObject(outlook.Application());
    SAFEARRAY* custom = nullptr;
    HRESULT result = addin->OnConnection(application.Get(), 1 /* ext_cm_Startup */, nullptr, &custom);
    report.Check(result == S_OK, "OnConnection returned " + HexCode(result));
    result = addin->OnStartupComplete(&custom);
    report.Check(result == S_OK, "OnStartupComplete returned " + HexCode(result));

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
    report.Check(outlook.AdvisedSinks() == 7, "sinks open after start-up: " + std::to_string(outlook.AdvisedSinks()));

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
        CheckVersionCheck(report, options.expectedVersion, log, boxes.Seen(), frames.For(inbox->FrameWindow()));
    }

    result = addin->OnBeginShutdown(&custom);
    report.Check(result == S_OK, "OnBeginShutdown returned " + HexCode(result));
    result = addin->OnDisconnection(0 /* ext_dm_HostShutdown */, &custom);
    report.Check(result == S_OK, "OnDisconnection returned " + HexCode(result));
    report.Check(outlook.AdvisedSinks() == 0,
                 "everything unadvised after disconnection (open: " + std::to_string(outlook.AdvisedSinks()) + ")");
    report.Check(outlook.WrongThreadCalls() == 0, "no call from a wrong thread");
    for (const auto& failed : EventFailures()) report.Note("event failed: " + Narrow(failed));
    report.Check(EventFailures().empty(), "every event reached the add-in");

    addin.Reset();
    application.Reset();
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
    if (!ParseOptions(argc, argv, options) || options.scenario != L"startup") {
        std::fprintf(stderr,
                     "usage: sealwing_harness [--dll <path>] [--outlook-version 11|12|14] [--scenario startup]\n"
                     "                        [--trust-ca <pem file>] [--expect-version <major>.<minor>|missing]\n");
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
    bool passed = false;
    try {
        passed = RunStartup(options);
    } catch (const std::exception& error) {
        std::printf("FAIL the scenario stopped: %s\n", error.what());
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
