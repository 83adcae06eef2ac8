#pragma once

#include <cstdint>
#include <functional>

namespace sealwing::platform {

class Event;

using TimerId = std::uintptr_t;

// Outlook's user-interface thread, reached from anywhere: every object-model call, dialog and timer runs there.
class UiThread {
public:
    virtual ~UiThread() = default;

    virtual bool IsUiThread() = 0;

    // Runs the work on the UI thread and waits until it has finished (the router window's synchronous message).
    // Called on the UI thread, runs it at once. Returns false, without running it, when the UI thread has stopped
    // or stops serving its queue while the caller waits, so a waiting worker is never left hanging at shutdown.
    // An exception thrown by the work is rethrown to the caller; the UI thread goes on.
    bool RunSync(std::function<void()> work) { return RunSync(std::move(work), nullptr); }
    // The same, given up when `giveUp` is found signalled before the UI thread has begun the work: the call then
    // returns false and the work never runs. Work already under way is waited for. This lets the UI thread, which
    // cannot serve a call while it waits for the caller (a worker it is ending), release it.
    virtual bool RunSync(std::function<void()> work, Event* giveUp) = 0;

    // Queues the work for the UI thread and returns at once; dropped when the UI thread has stopped.
    virtual void Post(std::function<void()> work) = 0;

    // A repeating thread timer without a window (UI thread only); 0 when it could not be set.
    // The callback runs on the UI thread with the timer's id until KillTimer.
    virtual TimerId SetTimer(std::uint32_t intervalMilliseconds, std::function<void(TimerId)> callback) = 0;
    virtual bool KillTimer(TimerId timer) = 0;
};

}  // namespace sealwing::platform
