#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <set>

#include "platform/Graphics.h"

namespace sealwing::sim {

// The graphics port of the simulated Outlook: counts start-ups and shut-downs. Tokens are distinct and non-zero.
class SimGraphics : public platform::Graphics {
public:
    std::uintptr_t Startup() override;
    void Shutdown(std::uintptr_t token) override;

    // Started minus shut down.
    int Running() const;
    // Shutdown calls with a token that is not running (0, unknown, or shut down already).
    int BadShutdowns() const;

    // The next start-ups fail (token 0) while set.
    bool failStartup = false;

private:
    mutable std::mutex lock_;
    std::set<std::uintptr_t> running_;
    std::uintptr_t nextToken_ = 0x5A01;
    int badShutdowns_ = 0;
};

}  // namespace sealwing::sim
