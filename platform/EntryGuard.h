#pragma once

#include <exception>
#include <utility>

// Every entry from the host (a COM method, an event sink, a timer or posted callback, a window or dialog procedure,
// a worker thread's body) runs its work through GuardEntry, so that no exception ever crosses into Outlook or
// Windows. What becomes of a caught exception is the installed reporter's: the add-in writes it to the calling
// thread's activity log and closes the open log operation, so the log's marker stays truthful.
namespace sealwing::platform {

using EntryFailureReporter = void (*)(std::exception_ptr failure) noexcept;

// Installed where the add-in's world starts (the DLL's platform, the simulated Outlook's main job, tests); any
// thread. Without a reporter the failure is written to the standard error stream.
void SetEntryFailureReporter(EntryFailureReporter reporter);
EntryFailureReporter CurrentEntryFailureReporter();
void ReportEntryFailure(std::exception_ptr failure) noexcept;

// Runs the call; true when it returned, false when it threw (the exception was reported, not passed on).
template <class Call>
bool GuardEntry(Call&& call) noexcept {
    try {
        std::forward<Call>(call)();
        return true;
    } catch (...) {
        ReportEntryFailure(std::current_exception());
        return false;
    }
}

}  // namespace sealwing::platform
