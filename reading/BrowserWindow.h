#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Browser.h"
#include "platform/WindowSystem.h"
#include "service/ServiceRecords.h"

namespace sealwing {

// A child window over an Outlook window that shows a message, hosting the web-browser control: the service's reader
// page of one secure message, or a built-in page that says why it cannot be shown. The control takes no work until
// its first document ("about:blank") has loaded; the last request made before that waits and runs then. UI thread
// only.
class CBrowserWindow final : private platform::BrowserEvents {
public:
    // Where ShowMessage gets the account's session: SessionManager's GetSession unless a test hands another.
    using SessionLookup = std::function<service::ServiceResult(std::wstring_view email, std::wstring& sessionId,
                                                               platform::WindowHandle owner)>;

    static constexpr std::wstring_view kBlankPage = L"about:blank";

    // The built-in pages.
    static std::wstring NetworkFailurePage();
    static std::wstring AuthenticationFailurePage();
    static std::wstring MessageNotFoundPage();
    // "https://<service host>/outlook-reader/<session id>/<message id>".
    static std::wstring ReaderPageAddress(std::wstring_view sessionId, std::wstring_view messageId);

    explicit CBrowserWindow(SessionLookup sessions = {});
    // Releases the control; the window must be gone (Destroy) by then.
    ~CBrowserWindow();
    CBrowserWindow(const CBrowserWindow&) = delete;
    CBrowserWindow& operator=(const CBrowserWindow&) = delete;

    // Makes the window as a child of `parent` at `rect` (the parent's client coordinates), loads the control in it
    // and sends it to "about:blank". False, with no window left, when the window or the control cannot be made or
    // this object has a window already.
    bool Create(platform::WindowHandle parent, platform::Rect rect);
    // Disconnects the control's events if its first document never came, and destroys the window.
    void Destroy();

    // Shows the page at the address; the old page disappears at once.
    void Navigate(const std::wstring& url);
    // Replaces the document with the text.
    void WriteHtml(const std::wstring& html);
    // The reader page of the message for the account, or the page that explains why there is none. False when there
    // is nothing to show (the user cancelled the password prompt): the caller hides the window.
    bool ShowMessage(std::wstring_view account, std::wstring_view messageId);

    platform::WindowHandle Window() const { return window_; }
    bool Ready() const { return ready_; }

private:
    // platform::BrowserEvents
    // An entry from the control: the first document opens the gate and runs the request that waited.
    void DocumentComplete(const std::wstring& url) override;
    void OpenGate();

    void DisconnectEvents();

    platform::WindowHandle window_ = platform::kNoWindow;
    std::uint32_t eventsCookie_ = platform::BrowserControl::kNotConnected;  // sink number 1
    std::unique_ptr<platform::BrowserControl> control_;
    std::wstring pendingHtml_;
    std::wstring pendingUrl_;
    bool ready_ = false;
    bool pending_ = false;
    bool pendingIsHtml_ = false;
    SessionLookup sessions_;
};

}  // namespace sealwing
