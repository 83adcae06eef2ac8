#include "sim/MessageLoop.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "sim/AddinCallback.h"

namespace sealwing::sim {
namespace {

constexpr std::uint32_t kMinimumInterval = 10;  // USER_TIMER_MINIMUM
// Run waits at most this long between looks at the clock, so a clock that another thread moves is noticed.
constexpr std::chrono::milliseconds kLongestWait{50};

}  // namespace

MessageLoop::MessageLoop(platform::Clock& clock) : clock_(clock), uiThread_(std::this_thread::get_id()) {}

MessageLoop::~MessageLoop() { Stop(); }

bool MessageLoop::IsUiThread() {
    std::lock_guard guard(lock_);
    return OnUiThreadLocked();
}

bool MessageLoop::OnUiThreadLocked() const { return std::this_thread::get_id() == uiThread_; }

void MessageLoop::BindToCurrentThread() {
    std::lock_guard guard(lock_);
    uiThread_ = std::this_thread::get_id();
}

bool MessageLoop::RunSync(std::function<void()> work, platform::Event* giveUp) {
    std::shared_ptr<SyncCall> call;
    {
        std::lock_guard guard(lock_);
        if (stopped_) return false;
        if (!OnUiThreadLocked()) {
            call = std::make_shared<SyncCall>(std::move(work));
            jobs_.push_back(Job{{}, call});
            // Under the lock: once it is let go, the loop may be stopped and destroyed, and this worker touches
            // nothing of it any more.
            wake_.notify_all();
        }
    }
    if (!call) {
        work();
        return true;
    }
    return call->Wait(giveUp);
}

void MessageLoop::Post(std::function<void()> work) {
    std::lock_guard guard(lock_);
    if (stopped_) return;
    jobs_.push_back(Job{std::move(work), nullptr});
    wake_.notify_all();
}

platform::TimerId MessageLoop::SetTimer(std::uint32_t intervalMilliseconds,
                                        std::function<void(platform::TimerId)> callback) {
    const std::uint32_t interval = std::max(intervalMilliseconds, kMinimumInterval);
    const std::uint64_t now = clock_.TickMilliseconds();
    std::lock_guard guard(lock_);
    if (stopped_ || !OnUiThreadLocked() || !callback) return 0;
    const platform::TimerId id = nextTimer_++;
    timers_.emplace(id, Timer{interval, now + interval,
                              std::make_shared<std::function<void(platform::TimerId)>>(std::move(callback))});
    return id;
}

bool MessageLoop::KillTimer(platform::TimerId timer) {
    std::shared_ptr<std::function<void(platform::TimerId)>> callback;  // destroyed after the lock is let go
    std::lock_guard guard(lock_);
    if (!OnUiThreadLocked()) return false;
    const auto found = timers_.find(timer);
    if (found == timers_.end()) return false;
    callback = std::move(found->second.callback);
    timers_.erase(found);
    return true;
}

void MessageLoop::RequireUiThread(const char* what) {
    if (!IsUiThread()) throw std::logic_error(std::string("MessageLoop::") + what + " called off the UI thread");
}

bool MessageLoop::RunOneJob() {
    Job job;
    {
        std::lock_guard guard(lock_);
        if (stopped_ || jobs_.empty()) return false;
        job = std::move(jobs_.front());
        jobs_.pop_front();
    }
    if (job.sync) {
        job.sync->Run();  // its exception goes back to the waiting worker
    } else {
        RunAddinCallback(L"posted work", job.work);
    }
    return true;
}

bool MessageLoop::RunDueTimers() {
    const std::uint64_t now = clock_.TickMilliseconds();
    std::vector<platform::TimerId> due;
    {
        std::lock_guard guard(lock_);
        if (stopped_) return false;
        for (const auto& [id, timer] : timers_) {
            if (timer.due <= now) due.push_back(id);
        }
    }
    bool fired = false;
    for (const platform::TimerId id : due) {
        std::shared_ptr<std::function<void(platform::TimerId)>> callback;
        {
            std::lock_guard guard(lock_);
            const auto found = timers_.find(id);
            if (stopped_ || found == timers_.end()) continue;  // killed by an earlier callback
            found->second.due = now + found->second.interval;
            callback = found->second.callback;
        }
        // A timer whose callback threw stays set, as a Windows timer does.
        RunAddinCallback(L"timer", [&callback, id] { (*callback)(id); });
        fired = true;
    }
    return fired;
}

void MessageLoop::RunPending() {
    RequireUiThread("RunPending");
    for (;;) {
        bool ran = false;
        while (RunOneJob()) ran = true;
        if (RunDueTimers()) ran = true;
        if (!ran) return;
    }
}

void MessageLoop::Run() {
    RequireUiThread("Run");
    for (;;) {
        RunPending();
        std::unique_lock guard(lock_);
        if (quit_ || stopped_) {
            quit_ = false;
            return;
        }
        if (!jobs_.empty()) continue;
        auto wait = kLongestWait;
        if (!timers_.empty()) {
            std::uint64_t nextDue = UINT64_MAX;
            for (const auto& [id, timer] : timers_) nextDue = std::min(nextDue, timer.due);
            guard.unlock();
            const std::uint64_t now = clock_.TickMilliseconds();
            guard.lock();
            if (nextDue <= now) continue;
            wait = std::min(wait, std::chrono::milliseconds(nextDue - now));
        }
        wake_.wait_for(guard, wait, [this] { return quit_ || stopped_ || !jobs_.empty(); });
    }
}

void MessageLoop::Quit() {
    std::lock_guard guard(lock_);
    quit_ = true;
    wake_.notify_all();
}

void MessageLoop::Stop() {
    std::deque<Job> dropped;
    {
        std::lock_guard guard(lock_);
        stopped_ = true;
        dropped.swap(jobs_);
    }
    wake_.notify_all();
    for (Job& job : dropped) {
        if (job.sync) job.sync->Finish(false);
    }
}

bool MessageLoop::Stopped() const {
    std::lock_guard guard(lock_);
    return stopped_;
}

std::size_t MessageLoop::ActiveTimers() const {
    std::lock_guard guard(lock_);
    return timers_.size();
}

bool MessageLoop::WaitForWork(std::chrono::milliseconds timeout) {
    std::unique_lock guard(lock_);
    wake_.wait_for(guard, timeout, [this] { return stopped_ || !jobs_.empty(); });
    return !stopped_ && !jobs_.empty();
}

std::size_t MessageLoop::QueuedWork() const {
    std::lock_guard guard(lock_);
    return jobs_.size();
}

}  // namespace sealwing::sim
