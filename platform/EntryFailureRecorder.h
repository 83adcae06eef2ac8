#pragma once

#include <exception>
#include <mutex>
#include <string>
#include <vector>

#include "platform/EntryGuard.h"

namespace sealwing::platform {

// Tests: while it lives, what the entry guards catch is recorded here in place of the installed reporter, which comes
// back afterwards. Any thread.
class ScopedEntryFailureRecorder {
public:
    ScopedEntryFailureRecorder() : previous_(CurrentEntryFailureReporter()) {
        {
            std::lock_guard guard(Lock());
            Recorded().clear();
        }
        SetEntryFailureReporter(&Record);
    }
    ~ScopedEntryFailureRecorder() { SetEntryFailureReporter(previous_); }
    ScopedEntryFailureRecorder(const ScopedEntryFailureRecorder&) = delete;
    ScopedEntryFailureRecorder& operator=(const ScopedEntryFailureRecorder&) = delete;

    // What each caught exception said, in order (a fixed text for one of no standard type).
    std::vector<std::string> Texts() const {
        std::lock_guard guard(Lock());
        return Recorded();
    }
    std::size_t Count() const { return Texts().size(); }

private:
    static std::mutex& Lock() {
        static std::mutex lock;
        return lock;
    }
    static std::vector<std::string>& Recorded() {
        static std::vector<std::string> recorded;
        return recorded;
    }
    static void Record(std::exception_ptr failure) noexcept {
        std::string text = "an exception of no standard type";
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& error) {
            text = error.what();
        } catch (...) {
        }
        std::lock_guard guard(Lock());
        Recorded().push_back(std::move(text));
    }

    EntryFailureReporter previous_;
};

}  // namespace sealwing::platform
