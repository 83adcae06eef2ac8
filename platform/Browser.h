#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/WindowSystem.h"

namespace sealwing::platform {

// What the web-browser control tells its host: only the end of a document's loading is followed.
class BrowserEvents {
public:
    // DWebBrowserEvents2::DocumentComplete (DISPID 259) of the top-level frame, with the document's address.
    virtual void DocumentComplete(const std::wstring& url) = 0;

protected:
    ~BrowserEvents() = default;
};

// One web-browser control living in a window. Releasing the object releases the control. UI thread only.
class BrowserControl {
public:
    // The cookie of an event connection that is not (or no longer) made.
    static constexpr std::uint32_t kNotConnected = 0xFEFEFEFE;

    virtual ~BrowserControl() = default;

    // IWebBrowser2::Navigate with the address and four empty variants; false when the control refused.
    virtual bool Navigate(const std::wstring& url) = 0;
    // IWebBrowser2::get_Document answers an object that has IHTMLDocument2 (none while the first page is still
    // loading).
    virtual bool HasHtmlDocument() = 0;
    // IHTMLDocument2::write with the text as a one-element array of one string variant, then close: the document
    // becomes the text. False, and nothing written, when the control has no HTML document.
    virtual bool WriteHtml(const std::wstring& html) = 0;
    // Advises the sink on the control's DWebBrowserEvents2 connection point (IConnectionPointContainer); the
    // cookie, or kNotConnected when the control refused. The sink must outlive the connection.
    virtual std::uint32_t ConnectEvents(BrowserEvents& sink) = 0;
    // Unadvise of a cookie ConnectEvents gave.
    virtual void DisconnectEvents(std::uint32_t cookie) = 0;
};

// Loads the system's web-browser control into windows.
class Browser {
public:
    virtual ~Browser() = default;

    // The control ({8856F961-340A-11D0-A96B-00C04FD705A2}) created in the window, in-place active over its whole
    // client area and following its size, with the window as its site; torn down with the window. Nothing when
    // the control cannot be created.
    virtual std::unique_ptr<BrowserControl> CreateControl(WindowHandle window) = 0;
};

}  // namespace sealwing::platform
