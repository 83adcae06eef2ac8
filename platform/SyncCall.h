#pragma once

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <utility>

#include "platform/Threads.h"

namespace sealwing::platform {

// One synchronous run on the UI thread: the worker waits on the call, never on the thread, so the call can be
// released ("not run") while the UI thread shuts down. An exception from the work goes back to the worker that asked
// for it; the UI thread goes on.
class SyncCall {
public:
    explicit SyncCall(std::function<void()> work) : work_(std::move(work)) {}

    // UI thread. A call given up or released before it began does not run.
    void Run() {
        {
            std::lock_guard guard(lock_);
            if (finished_) return;
            running_ = true;
        }
        std::function<void()> work = std::move(work_);
        std::exception_ptr failure;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        Finish(true, std::move(failure));  // no copy stays behind on this thread
    }

    // Any thread; the first finish counts.
    void Finish(bool ran, std::exception_ptr failure = nullptr) {
        {
            std::lock_guard guard(lock_);
            if (finished_) return;
            finished_ = true;
            ran_ = ran;
            failure_ = std::move(failure);
        }
        done_.notify_all();
    }

    // The worker: true when the work ran, false when it was released or given up unrun; rethrows the work's
    // exception. `giveUp` is no condition of this call, so it is looked at every kGiveUpPoll while nothing began.
    bool Wait(Event* giveUp = nullptr) {
        std::unique_lock guard(lock_);
        while (!finished_) {
            if (giveUp == nullptr || running_) {
                done_.wait(guard);
            } else if (giveUp->IsSet()) {
                finished_ = true;  // Run now leaves the work alone
            } else {
                done_.wait_for(guard, kGiveUpPoll);
            }
        }
        // The worker takes the exception for itself: whichever thread lets go of the call last, the exception is
        // then only ever touched, and freed, by the worker that handles it.
        if (std::exception_ptr failure = std::exchange(failure_, nullptr)) {
            guard.unlock();
            std::rethrow_exception(failure);
        }
        return ran_;
    }

private:
    static constexpr std::chrono::milliseconds kGiveUpPoll{20};

    std::function<void()> work_;
    std::mutex lock_;
    std::condition_variable done_;
    bool running_ = false;
    bool finished_ = false;
    bool ran_ = false;
    std::exception_ptr failure_;
};

}  // namespace sealwing::platform
