#include "reading/BrowserWindow.h"

#include <string>
#include <utility>

#include "platform/EntryGuard.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "service/SessionManager.h"
#include "service/TransportEndpoint.h"

namespace sealwing {
namespace {

// One text for the three explanations; only the problem phrase differs.
std::wstring ProblemPage(std::wstring_view problem) {
    std::wstring page =
        L"<html><head><meta http-equiv=Content-Type content=\"text/html; charset=windows-1251\"></head>"
        L"<body lang=EN-US><p>This is secure encrypted message. You can\u2019t see it because of the following "
        L"problem:</p><p><span style='color:#92D050'>";
    page += problem;
    page += L"</span></p></body></html>";
    return page;
}

// The host the service's requests go to, with the port when it is not the HTTPS default.
std::wstring ServiceHost() {
    const service::ServiceEndpoint endpoint = service::CurrentServiceEndpoint();
    std::wstring host = platform::WideFromUtf8(endpoint.host);
    if (endpoint.port != 0 && endpoint.port != 443) host += L":" + std::to_wstring(endpoint.port);
    return host;
}

service::ServiceResult SessionOf(std::wstring_view email, std::wstring& sessionId, platform::WindowHandle owner) {
    return service::SessionManager::Instance().GetSession(email, sessionId, owner);
}

}  // namespace

std::wstring CBrowserWindow::NetworkFailurePage() { return ProblemPage(L"Network fail"); }

std::wstring CBrowserWindow::AuthenticationFailurePage() { return ProblemPage(L"Authentication failed"); }

std::wstring CBrowserWindow::MessageNotFoundPage() { return ProblemPage(L"Message was not found on the server"); }

std::wstring CBrowserWindow::ReaderPageAddress(std::wstring_view sessionId, std::wstring_view messageId) {
    return platform::FillIn(L"https://%s/outlook-reader/%s/%s", {ServiceHost(), sessionId, messageId});
}

CBrowserWindow::CBrowserWindow(SessionLookup sessions)
    : sessions_(sessions ? std::move(sessions) : SessionLookup(&SessionOf)) {}

CBrowserWindow::~CBrowserWindow() {
    DisconnectEvents();
    control_.reset();
}

bool CBrowserWindow::Create(platform::WindowHandle parent, platform::Rect rect) {
    platform::AssertUiThread(__func__);
    if (window_ != platform::kNoWindow || eventsCookie_ != platform::BrowserControl::kNotConnected) return false;
    platform::WindowSystem& windows = platform::Windows();
    window_ = windows.CreateChildWindow(parent, rect);
    if (window_ == platform::kNoWindow) return false;
    control_ = platform::TheBrowser().CreateControl(window_);
    if (!control_) {
        windows.DestroyWindow(window_);
        window_ = platform::kNoWindow;
        return false;
    }
    eventsCookie_ = control_->ConnectEvents(*this);
    control_->Navigate(std::wstring(kBlankPage));  // the control itself: the gate is closed until this completes
    // No DocumentComplete will come without the connection: work goes to the control from now on.
    if (eventsCookie_ == platform::BrowserControl::kNotConnected) ready_ = true;
    return true;
}

void CBrowserWindow::Destroy() {
    platform::AssertUiThread(__func__);
    if (!ready_) DisconnectEvents();
    if (window_ != platform::kNoWindow) platform::Windows().DestroyWindow(window_);
    window_ = platform::kNoWindow;
}

void CBrowserWindow::DisconnectEvents() {
    if (eventsCookie_ == platform::BrowserControl::kNotConnected) return;
    if (control_) control_->DisconnectEvents(eventsCookie_);
    eventsCookie_ = platform::BrowserControl::kNotConnected;
}

void CBrowserWindow::DocumentComplete(const std::wstring&) {
    platform::GuardEntry([this] { OpenGate(); });
}

void CBrowserWindow::OpenGate() {
    platform::AssertUiThread(__func__);
    if (ready_) return;
    DisconnectEvents();  // later documents are none of the gate's business
    ready_ = true;
    if (pending_) {
        if (pendingIsHtml_) {
            WriteHtml(pendingHtml_);
        } else {
            Navigate(pendingUrl_);
        }
    }
    pending_ = false;
}

void CBrowserWindow::Navigate(const std::wstring& url) {
    platform::AssertUiThread(__func__);
    if (!ready_) {
        pendingUrl_ = url;
        pending_ = true;
        pendingIsHtml_ = false;
        return;
    }
    if (!control_) return;
    if (control_->HasHtmlDocument()) control_->WriteHtml(L"");  // the old page goes at once
    control_->Navigate(url);
}

void CBrowserWindow::WriteHtml(const std::wstring& html) {
    platform::AssertUiThread(__func__);
    if (!ready_) {
        pendingHtml_ = html;
        pending_ = true;
        pendingIsHtml_ = true;
        return;
    }
    if (control_) control_->WriteHtml(html);
}

bool CBrowserWindow::ShowMessage(std::wstring_view account, std::wstring_view messageId) {
    platform::AssertUiThread(__func__);
    std::wstring sessionId;
    switch (sessions_(account, sessionId, window_)) {
        case service::ServiceResult::Success:
            Navigate(ReaderPageAddress(sessionId, messageId));
            return true;
        case service::ServiceResult::Cancelled:
            return false;
        case service::ServiceResult::NotAuthorised:
            WriteHtml(AuthenticationFailurePage());
            return true;
        case service::ServiceResult::Failed:
            WriteHtml(NetworkFailurePage());
            return true;
        case service::ServiceResult::NotFound:
            WriteHtml(MessageNotFoundPage());
            return true;
    }
    return true;  // a result of no known kind: nothing to show, nothing to hide
}

}  // namespace sealwing
