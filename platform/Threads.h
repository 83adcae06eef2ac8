#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace sealwing::platform {

// A Win32-style event: manual-reset stays signalled until Reset; auto-reset releases one waiter and clears.
class Event {
public:
    enum class Reset { Manual, Automatic };
    explicit Event(Reset mode, bool signalled = false) : mode_(mode), signalled_(signalled) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set() {
        {
            std::lock_guard guard(lock_);
            signalled_ = true;
        }
        if (mode_ == Reset::Manual)
            changed_.notify_all();
        else
            changed_.notify_one();
    }

    void ResetEvent() {
        std::lock_guard guard(lock_);
        signalled_ = false;
    }

    // Without waiting.
    bool IsSet() {
        std::lock_guard guard(lock_);
        return signalled_;
    }

    void Wait() {
        std::unique_lock guard(lock_);
        changed_.wait(guard, [this] { return signalled_; });
        Consume();
    }

    // True when signalled before the timeout ran out.
    bool WaitFor(std::chrono::milliseconds timeout) {
        std::unique_lock guard(lock_);
        if (!changed_.wait_for(guard, timeout, [this] { return signalled_; })) return false;
        Consume();
        return true;
    }

private:
    void Consume() {
        if (mode_ == Reset::Automatic) signalled_ = false;
    }

    const Reset mode_;
    bool signalled_;
    std::mutex lock_;
    std::condition_variable changed_;
};

}  // namespace sealwing::platform
