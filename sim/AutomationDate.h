#pragma once

#include <cstdint>

#include "outlook/ObjectModel.h"

namespace sealwing::sim {

// An automation date (days since 30 December 1899, the time of day as the fraction) for a clock reading in seconds
// since 1970. The simulated desktop's local time is UTC, so the reading converts as it is.
inline outlook::Date AutomationDateOf(std::int64_t utcSeconds) {
    constexpr double kSecondsPerDay = 86400.0;
    constexpr double kUnixEpochDate = 25569.0;  // 1 January 1970 as an automation date
    return kUnixEpochDate + static_cast<double>(utcSeconds) / kSecondsPerDay;
}

}  // namespace sealwing::sim
