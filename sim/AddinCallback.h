#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <utility>

// The add-in's callbacks that the simulated Outlook runs (posted work, timers, the events it fires into the add-in's
// sinks) are entries from the host, as they are on Windows, where the adapters guard them: an exception that escapes
// one goes no further. The simulation reports it as the Windows adapters do (platform::ReportEntryFailure, which the
// add-in's world makes a log line), hands it to the callback-failure handler and goes on, so the rest of a test still
// runs. Dialogs are no such entry: there, as on Windows, what the dialog's behaviour throws ends the dialog and
// reaches the caller of RunDialog.
namespace sealwing::sim {

// Receives one line naming the entry and the exception. The test program installs one that fails the running test;
// without one the line goes to the standard error stream. Installed once per process; called on the thread that ran
// the callback.
using AddinCallbackFailureHandler = void (*)(const std::string& failure);
void SetAddinCallbackFailureHandler(AddinCallbackFailureHandler handler);

// An exception escaped the named entry (L"posted work", L"timer", L"ExplorerEvents.Activate").
void ReportAddinCallbackFailure(std::wstring_view entry, std::exception_ptr failure) noexcept;

// Runs a callback of the add-in as an entry from the host: true when it returned, false when it threw.
template <class Call>
bool RunAddinCallback(std::wstring_view entry, Call&& call) noexcept {
    try {
        std::forward<Call>(call)();
        return true;
    } catch (...) {
        ReportAddinCallbackFailure(entry, std::current_exception());
        return false;
    }
}

}  // namespace sealwing::sim
