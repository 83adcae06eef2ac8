#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
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
    // The window and all its children. The foreground passes to the topmost remaining top-level window.
    void Destroy(platform::WindowHandle window);
    void SetTitle(platform::WindowHandle window, std::wstring title);
    void Move(platform::WindowHandle window, platform::Rect rect);
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
    };

    const Node* Find(platform::WindowHandle window) const;
    void DestroyLocked(platform::WindowHandle window);
    platform::WindowHandle TopLevelOf(platform::WindowHandle window) const;

    mutable std::mutex lock_;
    std::map<platform::WindowHandle, Node> nodes_;
    std::vector<platform::WindowHandle> topLevel_;
    platform::WindowHandle foreground_ = platform::kNoWindow;
    platform::WindowHandle nextHandle_ = 0x00010010;
};

}  // namespace sealwing::sim
