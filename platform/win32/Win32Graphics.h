#pragma once

#include "platform/Graphics.h"

namespace sealwing::platform {

// GDI+ through its flat entry points.
class Win32Graphics final : public Graphics {
public:
    std::uintptr_t Startup() override;
    void Shutdown(std::uintptr_t token) override;
};

}  // namespace sealwing::platform
