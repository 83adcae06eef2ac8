#pragma once

#include <cstddef>
#include <filesystem>
#include <iterator>

namespace sealwing::testing {

// The threads this process runs now, as Linux lists them: a thread left behind by a request or a queue shows here.
inline std::size_t ThreadsOfThisProcess() {
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
}

}  // namespace sealwing::testing
