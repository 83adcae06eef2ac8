#pragma once

#include <cstdint>

namespace sealwing::platform {

// The imaging library behind button pictures (GDI+ on Windows), started once per connection.
class Graphics {
public:
    virtual ~Graphics() = default;
    // A token for Shutdown; 0 when the library did not start.
    virtual std::uintptr_t Startup() = 0;
    virtual void Shutdown(std::uintptr_t token) = 0;
};

}  // namespace sealwing::platform
