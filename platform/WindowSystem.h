#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sealwing::platform {

// A window handle (HWND on Windows); 0 is no window.
using WindowHandle = std::uintptr_t;
inline constexpr WindowHandle kNoWindow = 0;

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Queries over the desktop's window tree.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    virtual bool IsWindow(WindowHandle window) = 0;
    // In Z order, topmost first.
    virtual std::vector<WindowHandle> TopLevelWindows() = 0;
    // Direct children, in Z order.
    virtual std::vector<WindowHandle> Children(WindowHandle window) = 0;
    virtual WindowHandle Parent(WindowHandle window) = 0;
    virtual std::wstring ClassName(WindowHandle window) = 0;
    virtual std::wstring Title(WindowHandle window) = 0;
    // In screen coordinates; nothing for a window that does not exist.
    virtual std::optional<Rect> WindowRect(WindowHandle window) = 0;
    virtual WindowHandle Foreground() = 0;
};

}  // namespace sealwing::platform
