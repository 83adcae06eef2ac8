#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace sealwing::platform {

// Wall-clock time for log timestamps and a monotonic tick for timers.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since 1970-01-01 00:00:00 UTC.
    virtual std::int64_t UtcSeconds() = 0;
    // Milliseconds since an arbitrary start; never goes back.
    virtual std::uint64_t TickMilliseconds() = 0;
};

// The machine's clocks.
class SystemClock final : public Clock {
public:
    std::int64_t UtcSeconds() override;
    std::uint64_t TickMilliseconds() override;
};

// A clock that moves only when told to; safe to read from any thread.
class ManualClock final : public Clock {
public:
    explicit ManualClock(std::int64_t utcSeconds = 1'700'000'000, std::uint64_t tickMilliseconds = 0);
    std::int64_t UtcSeconds() override;
    std::uint64_t TickMilliseconds() override;
    // Moves both clocks forward together.
    void Advance(std::uint64_t milliseconds);
    void SetUtcSeconds(std::int64_t utcSeconds);

private:
    std::mutex lock_;
    std::int64_t utcMilliseconds_;
    std::uint64_t tickMilliseconds_;
};

// "%Y-%m-%d %H:%M:%S"-style formatting of a UTC time; an empty string when the time cannot be broken down.
std::string FormatUtc(std::int64_t utcSeconds, const char* format);

}  // namespace sealwing::platform
