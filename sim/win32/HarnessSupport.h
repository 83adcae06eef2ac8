#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "outlook/win32/dispatch/ComTypes.h"
#include "sim/SimOutlook.h"
#include "sim/win32/AddinHost.h"

// What the harness's scenarios share: their report, the add-in's logs, Outlook's thread served while waiting, the
// account options the add-in keeps in the registry, and the add-in loaded as Outlook loads it.
namespace sealwing::sim::win32 {

// The outcome of a scenario: every check, printed as it is made, in ASCII (Wine's console garbles the rest).
class Report {
public:
    void Check(bool held, const std::string& what);
    void Note(const std::string& what);
    bool Failed() const { return failed_; }

private:
    bool failed_ = false;
};

std::string Narrow(const std::wstring& text);
std::string HexCode(HRESULT code);
// The whole file, or nothing when it cannot be read.
std::string ReadText(const std::wstring& path);
std::size_t Occurrences(const std::string& text, const std::string& part);

// The add-in's log of that name ("Main", "VersionCheck") in the user's local application data.
std::wstring LogPath(const wchar_t* name);
inline std::wstring MainLogPath() { return LogPath(L"Main"); }

// Exceptions that escaped the harness's sinks and callbacks into the simulated Outlook (sim/AddinCallback.h).
void RecordSimulationFailure(const std::string& failure);
// No exception reached Outlook's side, and none was caught at the DLL's entries from Outlook and Windows, whose guard
// writes one that is no COM error as "[ERROR] Unhandled exception" (a COM error's line may be an expected one).
void CheckNoEscapedExceptions(Report& report, const std::string& log);

// Serves Outlook's thread as Outlook would, until `done` holds or the limit ran out; false then.
template <class Done>
bool PumpMessagesUntil(Done done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

// One account's options as the add-in keeps them in the user's registry, written as the options dialog would.
class ScopedAccountOptions {
public:
    ScopedAccountOptions(const std::wstring& address, DWORD place, DWORD cc);
    ~ScopedAccountOptions();
    ScopedAccountOptions(const ScopedAccountOptions&) = delete;
    ScopedAccountOptions& operator=(const ScopedAccountOptions&) = delete;

    bool Written() const { return written_; }

private:
    std::wstring key_;
    bool written_ = false;
};

// The real DLL as Outlook loads it: created, connected at start-up and told that start-up is complete; unloaded
// the way Outlook shuts down. Every step's result is checked in the report.
class LoadedAddin {
public:
    LoadedAddin() = default;
    LoadedAddin(const LoadedAddin&) = delete;
    LoadedAddin& operator=(const LoadedAddin&) = delete;
    ~LoadedAddin();

    bool Load(const std::wstring& dllPath, SimOutlook& outlook, Report& report);
    void Unload(Report& report);
    // The add-in object, for Office's other interfaces on it (the ribbon).
    sealwing::win32::ComPtr<IUnknown> Object() const;

private:
    sealwing::win32::ComPtr<IDTExtensibility2> addin_;
    sealwing::win32::ComPtr<IDispatch> application_;
    SAFEARRAY* custom_ = nullptr;
};

}  // namespace sealwing::sim::win32
