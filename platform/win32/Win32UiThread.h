#pragma once

#include "platform/win32/Win32Headers.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "platform/SyncCall.h"
#include "platform/UiThread.h"

namespace sealwing::platform {

// The UI-thread port on Windows: a message-only router window made on the thread that constructs this object, which
// is the UI thread from then on. The window keeps this object in its user data and serves only its own thread.
//
// RunSync from a worker queues the work and sends the window a notification (SendNotifyMessageW: a sent message, so
// it is served wherever the UI thread takes sent messages, in modal loops and COM waits too), then waits on the
// call's own signal instead of on the window. Shutdown signals every waiting call with "not run", so a worker never
// hangs on a window that has gone. Timers are thread timers (SetTimer without a window) whose procedure finds the
// callback by id in a map owned by the UI thread. One object per thread.
class Win32UiThread final : public UiThread {
public:
    Win32UiThread();
    // Shutdown. Destroy it on the UI thread; elsewhere only once that thread no longer dispatches messages (the
    // window is then closed by a posted WM_CLOSE).
    ~Win32UiThread() override;
    Win32UiThread(const Win32UiThread&) = delete;
    Win32UiThread& operator=(const Win32UiThread&) = delete;

    // False when the router window could not be made: RunSync and Post then refuse, as after Shutdown.
    bool Created() const;
    HWND Window() const { return window_; }

    // Any thread: stops serving for good. Waiting RunSync calls return false, queued posts are dropped, later ones
    // refused. On the UI thread it also kills the timers and destroys the window.
    void Shutdown();

    bool IsUiThread() override;
    using UiThread::RunSync;
    bool RunSync(std::function<void()> work, Event* giveUp) override;
    void Post(std::function<void()> work) override;
    // UI thread only (0 elsewhere, and after Shutdown).
    TimerId SetTimer(std::uint32_t intervalMilliseconds, std::function<void(TimerId)> callback) override;
    // UI thread only; safe inside the timer's own callback. False for an unknown timer.
    bool KillTimer(TimerId timer) override;

private:
    using SyncCall = platform::SyncCall;
    using TimerCallback = std::function<void(TimerId)>;

    // Entries from Windows: an exception crossing the window manager's frames would end the process, so posted work
    // and timer callbacks run through platform::GuardEntry (reported, and the loop goes on); RunSync's work hands its
    // exception back to the waiting worker instead.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static void CALLBACK TimerProc(HWND window, UINT message, UINT_PTR id, DWORD time) noexcept;

    void ServeSyncCalls();
    void ServePosts();
    void FireTimer(TimerId timer);
    void DestroyRouter();

    const DWORD threadId_;
    HWND window_ = nullptr;

    std::mutex lock_;
    bool stopped_ = false;
    std::deque<std::shared_ptr<SyncCall>> syncCalls_;
    std::deque<std::function<void()>> posts_;

    std::map<TimerId, std::shared_ptr<TimerCallback>> timers_;  // UI thread only
};

}  // namespace sealwing::platform
