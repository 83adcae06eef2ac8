#pragma once

#include "platform/WindowSystem.h"

namespace sealwing::platform {

// Window-tree queries through user32.
class Win32WindowSystem final : public WindowSystem {
public:
    bool IsWindow(WindowHandle window) override;
    std::vector<WindowHandle> TopLevelWindows() override;
    std::vector<WindowHandle> Children(WindowHandle window) override;
    // The window's parent in the tree (GetAncestor with GA_PARENT), never its owner; no window for a top-level one.
    WindowHandle Parent(WindowHandle window) override;
    std::wstring ClassName(WindowHandle window) override;
    std::wstring Title(WindowHandle window) override;
    std::optional<Rect> WindowRect(WindowHandle window) override;
    WindowHandle Foreground() override;
};

}  // namespace sealwing::platform
