#pragma once

#include <memory>

#include "platform/Browser.h"

struct IWebBrowser2;

namespace sealwing::platform {

struct BrowserHosting;

// The system's web-browser control hosted without ATL: a client site of our own (IOleClientSite, IOleInPlaceSite and
// the in-place frame) in the window we are given, in-place activated over its client area; it follows the window's
// size and is closed when the window is destroyed. The thread must have OLE initialised (Outlook's UI thread has).
class Win32Browser final : public Browser {
public:
    std::unique_ptr<BrowserControl> CreateControl(WindowHandle window) override;
};

// One hosted control.
class Win32BrowserControl final : public BrowserControl {
public:
    explicit Win32BrowserControl(std::unique_ptr<BrowserHosting> hosting);
    ~Win32BrowserControl() override;
    Win32BrowserControl(const Win32BrowserControl&) = delete;
    Win32BrowserControl& operator=(const Win32BrowserControl&) = delete;

    bool Navigate(const std::wstring& url) override;
    bool HasHtmlDocument() override;
    bool WriteHtml(const std::wstring& html) override;
    std::uint32_t ConnectEvents(BrowserEvents& sink) override;
    void DisconnectEvents(std::uint32_t cookie) override;

    // The control itself, not AddRef'ed; nullptr once its window was destroyed.
    IWebBrowser2* WebBrowser() const;

private:
    std::unique_ptr<BrowserHosting> hosting_;
};

}  // namespace sealwing::platform
