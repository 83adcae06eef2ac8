#include "platform/Clock.h"

#include <chrono>
#include <ctime>

namespace sealwing::platform {

std::int64_t SystemClock::UtcSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::uint64_t SystemClock::TickMilliseconds() {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

ManualClock::ManualClock(std::int64_t utcSeconds, std::uint64_t tickMilliseconds)
    : utcMilliseconds_(utcSeconds * 1000), tickMilliseconds_(tickMilliseconds) {}

std::int64_t ManualClock::UtcSeconds() {
    std::lock_guard guard(lock_);
    return utcMilliseconds_ / 1000;
}

std::uint64_t ManualClock::TickMilliseconds() {
    std::lock_guard guard(lock_);
    return tickMilliseconds_;
}

void ManualClock::Advance(std::uint64_t milliseconds) {
    std::lock_guard guard(lock_);
    utcMilliseconds_ += static_cast<std::int64_t>(milliseconds);
    tickMilliseconds_ += milliseconds;
}

void ManualClock::SetUtcSeconds(std::int64_t utcSeconds) {
    std::lock_guard guard(lock_);
    utcMilliseconds_ = utcSeconds * 1000;
}

std::string FormatUtc(std::int64_t utcSeconds, const char* format) {
    // Civil-from-days (proleptic Gregorian) keeps this free of gmtime's platform variants and its static buffer.
    std::int64_t days = utcSeconds / 86400;
    std::int64_t secondsOfDay = utcSeconds % 86400;
    if (secondsOfDay < 0) {
        secondsOfDay += 86400;
        --days;
    }
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    if (year < 1900 || year > 9999) return {};

    std::tm parts{};
    parts.tm_year = static_cast<int>(year - 1900);
    parts.tm_mon = static_cast<int>(month - 1);
    parts.tm_mday = static_cast<int>(day);
    parts.tm_hour = static_cast<int>(secondsOfDay / 3600);
    parts.tm_min = static_cast<int>(secondsOfDay / 60 % 60);
    parts.tm_sec = static_cast<int>(secondsOfDay % 60);
    char buffer[128];
    // The format is the caller's by design (log timestamps and dates use different ones).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const std::size_t length = std::strftime(buffer, sizeof buffer, format, &parts);
#pragma GCC diagnostic pop
    return std::string(buffer, length);
}

}  // namespace sealwing::platform
