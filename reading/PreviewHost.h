#pragma once

#include <memory>
#include <string>

#include "platform/WindowSystem.h"
#include "reading/BrowserWindow.h"

namespace sealwing {

// Ties one Outlook window that shows a message (the reading pane, an item window's body) to the browser laid over
// it: finds the window, subclasses it so that the browser follows its size, shows and hides the browser, and undoes
// everything when the window goes away or the owner detaches. One per extension that shows secure messages. UI thread
// only.
class PreviewHost {
public:
    // `outlookMajorVersion`: 11 for Outlook 2003, 12, 14.
    explicit PreviewHost(int outlookMajorVersion, CBrowserWindow::SessionLookup sessions = {});
    // Detaches.
    ~PreviewHost();
    PreviewHost(const PreviewHost&) = delete;
    PreviewHost& operator=(const PreviewHost&) = delete;

    // The first descendant of `top` (depth first, in Z order) whose class name is exactly `className`; on Outlook
    // 2003 its parent, which frames the message. kNoWindow when none matches.
    platform::WindowHandle FindPreviewWindow(const std::wstring& className, platform::WindowHandle top);
    // A browser over the whole target, attached to it; false when the target or the browser cannot be had. Detaches
    // from an earlier target first.
    bool CreateOverlay(platform::WindowHandle target);
    // The browser over the target's client area, visible.
    void Show();
    // The browser on "about:blank", hidden.
    void Hide();
    // Restores the target, destroys the browser window and the browser.
    void Detach();

    bool Attached() const { return target_ != platform::kNoWindow; }
    platform::WindowHandle Target() const { return target_; }
    platform::WindowHandle BrowserWindow() const { return browserWindow_; }
    // The attached browser; nullptr when not attached.
    CBrowserWindow* Browser() const { return browser_.get(); }

    // The host of a subclassed target (the process-wide map); nullptr for another window.
    static PreviewHost* ForTarget(platform::WindowHandle target);

private:
    // The target's subclass procedure (an entry from Windows), and what it does for the target's host.
    static void TargetProcedure(platform::WindowHandle target, const platform::WindowNotification& notification);
    static void Follow(platform::WindowHandle target, const platform::WindowNotification& notification);

    platform::WindowHandle target_ = platform::kNoWindow;
    platform::WindowHandle browserWindow_ = platform::kNoWindow;
    std::wstring className_;
    std::unique_ptr<CBrowserWindow> browser_;
    int outlookMajorVersion_;
    CBrowserWindow::SessionLookup sessions_;
};

}  // namespace sealwing
