#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <utility>

namespace sealwing::platform {

// One synchronous run on the UI thread: the worker waits on the call, never on the thread, so the call can be
// released ("not run") while the UI thread shuts down. An exception from the work goes back to the worker that asked
// for it; the UI thread goes on.
class SyncCall {
public:
    explicit SyncCall(std::function<void()> work) : work_(std::move(work)) {}

    // UI thread.
    void Run() {
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

    // The worker: true when the work ran, false when it was released unrun; rethrows the work's exception.
    bool Wait() {
        std::unique_lock guard(lock_);
        done_.wait(guard, [this] { return finished_; });
        // The worker takes the exception for itself: whichever thread lets go of the call last, the exception is
        // then only ever touched, and freed, by the worker that handles it.
        if (std::exception_ptr failure = std::exchange(failure_, nullptr)) {
            guard.unlock();
            std::rethrow_exception(failure);
        }
        return ran_;
    }

private:
    std::function<void()> work_;
    std::mutex lock_;
    std::condition_variable done_;
    bool finished_ = false;
    bool ran_ = false;
    std::exception_ptr failure_;
};

}  // namespace sealwing::platform
