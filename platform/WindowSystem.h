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
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// What a subclassed window is about to be told, before its own window procedure hears it.
struct WindowNotification {
    enum class Kind {
        Move,              // WM_MOVE: x, y are the client area's new origin (in the parent's client coordinates)
        Size,              // WM_SIZE: width, height of the new client area
        PositionChanging,  // WM_WINDOWPOSCHANGING: the WINDOWPOS's cx, cy
        PositionChanged,   // WM_WINDOWPOSCHANGED: the WINDOWPOS's cx, cy
        Destroy,           // WM_DESTROY
    };
    Kind kind = Kind::Move;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    // Position changes: false when the WINDOWPOS has SWP_NOSIZE, whose cx and cy then mean nothing.
    bool carriesSize = false;
    friend bool operator==(const WindowNotification&, const WindowNotification&) = default;
};

// Called for each notification of a window it subclasses; the window's own procedure runs afterwards.
using SubclassProcedure = void (*)(WindowHandle window, const WindowNotification& notification);

// Queries over the desktop's window tree, and the add-in's own child windows laid over Outlook's. The calls that
// change windows are for the UI thread.
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

    // The client area's rectangle (GetClientRect: the origin is 0, 0); nothing for a window that does not exist.
    virtual std::optional<Rect> ClientRect(WindowHandle window) = 0;

    // A child window of the add-in's own window class over `parent` (CreateWindowExW with WS_CHILD, WS_VISIBLE,
    // WS_CLIPSIBLINGS and WS_CLIPCHILDREN, no extended style, no title) at `rect`, in the parent's client
    // coordinates; kNoWindow when it cannot be made.
    virtual WindowHandle CreateChildWindow(WindowHandle parent, Rect rect) = 0;
    // DestroyWindow: the window and its children.
    virtual void DestroyWindow(WindowHandle window) = 0;
    // SetWindowPos with SWP_NOZORDER | SWP_NOACTIVATE, and SWP_NOSIZE or SWP_NOMOVE for the first two.
    virtual void MoveWindowTo(WindowHandle window, int x, int y) = 0;
    virtual void ResizeWindow(WindowHandle window, int width, int height) = 0;
    virtual void PlaceWindow(WindowHandle window, Rect rect) = 0;
    // ShowWindow with SW_SHOW or SW_HIDE.
    virtual void ShowWindow(WindowHandle window, bool visible) = 0;

    // Puts the procedure ahead of the window's own for its moves, sizes, position changes and destruction
    // (SetWindowSubclass); false when the window does not exist or has that procedure already. The subclass goes
    // away by RemoveSubclass, or by itself once the window is destroyed.
    virtual bool Subclass(WindowHandle window, SubclassProcedure procedure) = 0;
    // RemoveWindowSubclass; nothing when the window lacks that procedure. Safe from within the procedure.
    virtual void RemoveSubclass(WindowHandle window, SubclassProcedure procedure) = 0;
};

}  // namespace sealwing::platform
