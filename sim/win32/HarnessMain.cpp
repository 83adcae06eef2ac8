// sealwing_harness.exe: plays Outlook for the real add-in DLL. It serves the simulated Outlook through COM, creates
// the add-in as Outlook does and drives a scenario, then reports on stdout what the simulation saw. Exit status 0
// when every check held, 1 otherwise, 2 for a usage error.
//
//   sealwing_harness.exe [--dll <path>] [--outlook-version 11|12|14] [--scenario startup]

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/win32/Win32FileSystem.h"
#include "sim/SimOutlook.h"
#include "sim/win32/AddinHost.h"
#include "sim/win32/EventForwarder.h"
#include "sim/win32/HarnessPlatform.h"
#include "sim/win32/ServeObjects.h"

namespace sealwing::sim::win32 {
namespace {

struct Options {
    std::wstring dllPath;
    int majorVersion = 12;
    std::wstring scenario = L"startup";
};

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

std::string HexCode(HRESULT code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

// Windows opened before the add-in connects, OnConnection at start-up, OnDisconnection at shutdown.
bool RunStartup(const Options& options) {
    Report report;
    platform::SystemClock clock;
    SimOutlook outlook(SimOptions{.majorVersion = options.majorVersion}, clock);
    const HarnessPlatform platform(outlook);

    platform::Win32FileSystem files;
    const std::wstring logPath = files.Join(
        files.Join(files.KnownFolderPath(platform::KnownFolder::LocalAppData), L"Parcelon"), L"Main.log");
    DeleteFileW(logPath.c_str());  // this run's log only

    const auto inbox = outlook.OpenExplorer(L"Inbox - Microsoft Outlook");
    outlook.OpenExplorer(L"Calendar - Microsoft Outlook");
    outlook.OpenInspector(outlook.CreateMailItem());
    outlook.OpenInspector(outlook.CreateMailItem());
    outlook.ActivateExplorer(inbox);
    const std::size_t journalBefore = outlook.Journal().size();

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
    report.Check(log.find("===Main log") != std::string::npos, "Main log written with its header at " + Narrow(logPath));
    const std::string version = Narrow(outlook.Application()->Version());
    report.Check(log.find("Outlook version " + version) != std::string::npos, "log names Outlook version " + version);

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
                     "usage: sealwing_harness [--dll <path>] [--outlook-version 11|12|14] [--scenario startup]\n");
        return 2;
    }
    std::printf("scenario %s, Outlook %d, add-in from %s\n", Narrow(options.scenario).c_str(), options.majorVersion,
                options.dllPath.empty() ? "its registered class" : Narrow(options.dllPath).c_str());
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        std::printf("FAIL CoInitializeEx\n");
        return 1;
    }
    const bool passed = RunStartup(options);
    CoUninitialize();
    std::printf("%s\n", passed ? "PASSED" : "FAILED");
    return passed ? 0 : 1;
}
