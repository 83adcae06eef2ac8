#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/WindowSystem.h"

namespace sealwing::sim {

// The windows port of the simulated Outlook: the desktop's window tree. Handles are never reused, so a handle kept
// after its window died never names another window. Z order is topmost first; a new window goes on top of its
// siblings. Safe from any thread.
class WindowTree : public platform::WindowSystem {
public:
    // A window under the parent (kNoWindow: a top-level window); kNoWindow when the parent does not exist.
    platform::WindowHandle Create(platform::WindowHandle parent, std::wstring className, std::wstring title,
                                  platform::Rect rect);
    // The window and all its children, each told first (the parent before its children) while it still exists. The
    // foreground passes to the topmost remaining top-level window.
    void Destroy(platform::WindowHandle window);
    void SetTitle(platform::WindowHandle window, std::wstring title);
    // Moves and sizes the window (screen coordinates) as SetWindowPos would, with its children, and tells it so:
    // position changing, position changed (with the size), move, size.
    void Move(platform::WindowHandle window, platform::Rect rect);
    // Only the position (SWP_NOSIZE: the position changes carry no size) in the parent's client coordinates, or only
    // the size (SWP_NOMOVE), told as Move tells.
    void MoveTo(platform::WindowHandle window, int x, int y);
    void Resize(platform::WindowHandle window, int width, int height);
    // Brings the window's top-level window to the top of the Z order and makes it the foreground window.
    void SetForeground(platform::WindowHandle window);

    bool IsWindow(platform::WindowHandle window) override;
    std::vector<platform::WindowHandle> TopLevelWindows() override;
    std::vector<platform::WindowHandle> Children(platform::WindowHandle window) override;
    platform::WindowHandle Parent(platform::WindowHandle window) override;
    std::wstring ClassName(platform::WindowHandle window) override;
    std::wstring Title(platform::WindowHandle window) override;
    std::optional<platform::Rect> WindowRect(platform::WindowHandle window) override;
    platform::WindowHandle Foreground() override;
    std::optional<platform::Rect> ClientRect(platform::WindowHandle window) override;
    // Of the class kChildWindowClass, visible.
    platform::WindowHandle CreateChildWindow(platform::WindowHandle parent, platform::Rect rect) override;
    void DestroyWindow(platform::WindowHandle window) override;
    void MoveWindowTo(platform::WindowHandle window, int x, int y) override;
    void ResizeWindow(platform::WindowHandle window, int width, int height) override;
    void PlaceWindow(platform::WindowHandle window, platform::Rect rect) override;
    void ShowWindow(platform::WindowHandle window, bool visible) override;
    bool Subclass(platform::WindowHandle window, platform::SubclassProcedure procedure) override;
    void RemoveSubclass(platform::WindowHandle window, platform::SubclassProcedure procedure) override;

    static constexpr const wchar_t* kChildWindowClass = L"SealwingChildWindow";

    // Windows made by Create are visible, those made by CreateChildWindow as well; false for no window.
    bool IsVisible(platform::WindowHandle window) const;
    // The subclass procedures of the window.
    std::size_t Subclasses(platform::WindowHandle window) const;

    std::size_t Count() const;
    // Every live window of the class, in creation order.
    std::vector<platform::WindowHandle> FindByClass(const std::wstring& className) const;

private:
    struct Node {
        platform::WindowHandle parent = platform::kNoWindow;
        std::wstring className;
        std::wstring title;
        platform::Rect rect;
        std::vector<platform::WindowHandle> children;
        bool visible = true;
        std::vector<platform::SubclassProcedure> subclasses{};
    };

    const Node* Find(platform::WindowHandle window) const;
    // Moves the window to `origin` (screen) and/or sizes it, shifting its children along, then tells its procedures.
    void SetPosition(platform::WindowHandle window, std::optional<std::pair<int, int>> origin,
                     std::optional<std::pair<int, int>> size);
    // The window's origin in its parent's client coordinates (screen coordinates for a top-level window).
    std::pair<int, int> OriginInParentLocked(const Node& node) const;
    void ShiftLocked(platform::WindowHandle window, int dx, int dy);
    void Tell(platform::WindowHandle window, const std::vector<platform::WindowNotification>& notifications);
    void DestroyLocked(platform::WindowHandle window);
    void CollectLocked(platform::WindowHandle window, std::vector<platform::WindowHandle>& windows) const;
    platform::WindowHandle TopLevelOf(platform::WindowHandle window) const;

    mutable std::mutex lock_;
    std::map<platform::WindowHandle, Node> nodes_;
    std::vector<platform::WindowHandle> topLevel_;
    platform::WindowHandle foreground_ = platform::kNoWindow;
    platform::WindowHandle nextHandle_ = 0x00010010;
};

}  // namespace sealwing::sim
