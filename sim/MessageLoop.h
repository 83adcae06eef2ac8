#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Clock.h"
#include "platform/SyncCall.h"
#include "platform/UiThread.h"

namespace sealwing::sim {

// The UI-thread port of the simulated Outlook: a message loop with a work queue and thread timers. The thread that
// constructs it is the UI thread (BindToCurrentThread moves it). Timers run on the given clock, so a test advances a
// ManualClock and calls RunPending; Run waits in real time for work, Quit or Stop.
// Posted work and timer callbacks are entries from the host (sim/AddinCallback.h): one that throws is reported and
// the loop goes on, as the Windows adapter's guard makes Outlook's loop go on.
class MessageLoop : public platform::UiThread {
public:
    explicit MessageLoop(platform::Clock& clock);
    // Stops: a worker still waiting in RunSync is released with false.
    ~MessageLoop() override;
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;

    // The clock its timers run on: the simulated desktop's time.
    platform::Clock& Clock() const { return clock_; }
    bool IsUiThread() override;
    // From a worker: queues the work and blocks until the UI thread ran it (true) or stopped serving (false).
    // On the UI thread: runs it at once. After Stop: false, without running it.
    using UiThread::RunSync;
    bool RunSync(std::function<void()> work, platform::Event* giveUp) override;
    // Any thread; dropped after Stop.
    void Post(std::function<void()> work) override;
    // UI thread only (0 elsewhere, and after Stop). Repeating; first due at the clock's tick + interval, where an
    // interval below 10 ms counts as 10 ms as Windows' USER_TIMER_MINIMUM makes it. Ids are never reused.
    platform::TimerId SetTimer(std::uint32_t intervalMilliseconds,
                               std::function<void(platform::TimerId)> callback) override;
    // UI thread only; safe inside the timer's own callback. False for an unknown timer.
    bool KillTimer(platform::TimerId timer) override;

    void BindToCurrentThread();
    // UI thread: runs queued work and due timers until nothing is ready now; never waits. A timer fires at most once
    // per call however far the clock moved (WM_TIMER does not pile up) and is next due an interval later.
    void RunPending();
    // UI thread: serves work and timers until Quit (or Stop), waiting in real time between them.
    void Run();
    // Any thread: makes Run return (once; a Quit before Run ends the next Run at once).
    void Quit();
    // Any thread: the UI thread stops serving for good. Every waiting RunSync returns false; queued and later work
    // is dropped; timers no longer fire.
    void Stop();
    bool Stopped() const;

    std::size_t ActiveTimers() const;
    std::size_t QueuedWork() const;
    // Any thread: waits until work is queued (true) or the loop stopped or the timeout ran out (false). Lets a test
    // act while a worker is known to wait in RunSync, without sleeping.
    bool WaitForWork(std::chrono::milliseconds timeout);

private:
    using SyncCall = platform::SyncCall;
    struct Job {
        std::function<void()> work;
        std::shared_ptr<SyncCall> sync;  // set for RunSync: released when the job runs or is dropped
    };
    struct Timer {
        std::uint32_t interval = 0;
        std::uint64_t due = 0;
        std::shared_ptr<std::function<void(platform::TimerId)>> callback;
    };

    bool OnUiThreadLocked() const;
    bool RunOneJob();
    bool RunDueTimers();
    void RequireUiThread(const char* what);

    platform::Clock& clock_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::thread::id uiThread_;
    std::deque<Job> jobs_;
    std::map<platform::TimerId, Timer> timers_;
    platform::TimerId nextTimer_ = 1;
    bool quit_ = false;
    bool stopped_ = false;
};

}  // namespace sealwing::sim
