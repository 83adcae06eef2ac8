#include "sim/SimGraphics.h"

namespace sealwing::sim {

std::uintptr_t SimGraphics::Startup() {
    std::lock_guard guard(lock_);
    if (failStartup) return 0;
    const std::uintptr_t token = nextToken_++;
    running_.insert(token);
    return token;
}

void SimGraphics::Shutdown(std::uintptr_t token) {
    std::lock_guard guard(lock_);
    if (running_.erase(token) == 0) ++badShutdowns_;
}

int SimGraphics::Running() const {
    std::lock_guard guard(lock_);
    return static_cast<int>(running_.size());
}

int SimGraphics::BadShutdowns() const {
    std::lock_guard guard(lock_);
    return badShutdowns_;
}

}  // namespace sealwing::sim
