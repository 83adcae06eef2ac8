#pragma once

#include <chrono>

namespace sealwing::bench {

// The clock each benchmark times its case and its anchor with, in the same loop.
using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

}  // namespace sealwing::bench
