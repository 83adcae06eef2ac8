#pragma once

#include <sys/resource.h>

namespace sealwing::bench {

// The most memory this process has held resident so far, in MiB.
inline double PeakResidentMiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

}  // namespace sealwing::bench
