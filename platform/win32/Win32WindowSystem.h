#pragma once

#include "platform/WindowSystem.h"

namespace sealwing::platform {

// Window-tree queries and the add-in's child windows through user32; subclassing through comctl32's
// SetWindowSubclass, so that other subclasses of the same window keep working in any order.
class Win32WindowSystem final : public WindowSystem {
public:
    // The class of the child windows, registered by the module that holds this code.
    static constexpr const wchar_t* kChildWindowClass = L"SealwingChildWindow";

    bool IsWindow(WindowHandle window) override;
    std::vector<WindowHandle> TopLevelWindows() override;
    std::vector<WindowHandle> Children(WindowHandle window) override;
    // The window's parent in the tree (GetAncestor with GA_PARENT), never its owner; no window for a top-level one.
    WindowHandle Parent(WindowHandle window) override;
    std::wstring ClassName(WindowHandle window) override;
    std::wstring Title(WindowHandle window) override;
    std::optional<Rect> WindowRect(WindowHandle window) override;
    WindowHandle Foreground() override;
    std::optional<Rect> ClientRect(WindowHandle window) override;
    WindowHandle CreateChildWindow(WindowHandle parent, Rect rect) override;
    void DestroyWindow(WindowHandle window) override;
    void MoveWindowTo(WindowHandle window, int x, int y) override;
    void ResizeWindow(WindowHandle window, int width, int height) override;
    void PlaceWindow(WindowHandle window, Rect rect) override;
    void ShowWindow(WindowHandle window, bool visible) override;
    bool Subclass(WindowHandle window, SubclassProcedure procedure) override;
    void RemoveSubclass(WindowHandle window, SubclassProcedure procedure) override;
};

}  // namespace sealwing::platform
