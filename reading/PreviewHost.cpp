#include "reading/PreviewHost.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/EntryGuard.h"
#include "platform/Platform.h"

namespace sealwing {
namespace {

// Outlook 2003 (11) frames the message one window above the one of the searched class.
constexpr int kFirstVersionWithoutFrame = 12;

// Every subclassed target with its host, for the subclass procedure. Few at a time: searched linearly. UI thread.
std::vector<std::pair<platform::WindowHandle, PreviewHost*>>& Hosts() {
    static std::vector<std::pair<platform::WindowHandle, PreviewHost*>> hosts;
    return hosts;
}

auto FindEntry(platform::WindowHandle target) {
    auto& hosts = Hosts();
    return std::find_if(hosts.begin(), hosts.end(), [target](const auto& entry) { return entry.first == target; });
}

platform::WindowHandle FindDescendant(platform::WindowSystem& windows, platform::WindowHandle window,
                                      const std::wstring& className) {
    for (const platform::WindowHandle child : windows.Children(window)) {
        if (windows.ClassName(child) == className) return child;
        if (const platform::WindowHandle found = FindDescendant(windows, child, className);
            found != platform::kNoWindow) {
            return found;
        }
    }
    return platform::kNoWindow;
}

}  // namespace

PreviewHost::PreviewHost(int outlookMajorVersion, CBrowserWindow::SessionLookup sessions)
    : outlookMajorVersion_(outlookMajorVersion), sessions_(std::move(sessions)) {}

PreviewHost::~PreviewHost() { Detach(); }

PreviewHost* PreviewHost::ForTarget(platform::WindowHandle target) {
    const auto found = FindEntry(target);
    return found == Hosts().end() ? nullptr : found->second;
}

platform::WindowHandle PreviewHost::FindPreviewWindow(const std::wstring& className, platform::WindowHandle top) {
    platform::AssertUiThread(__func__);
    className_ = className;
    platform::WindowSystem& windows = platform::Windows();
    const platform::WindowHandle found = FindDescendant(windows, top, className_);
    if (found == platform::kNoWindow) return platform::kNoWindow;
    return outlookMajorVersion_ < kFirstVersionWithoutFrame ? windows.Parent(found) : found;
}

bool PreviewHost::CreateOverlay(platform::WindowHandle target) {
    platform::AssertUiThread(__func__);
    Detach();
    platform::WindowSystem& windows = platform::Windows();
    const std::optional<platform::Rect> rect = windows.WindowRect(target);
    if (!rect) return false;
    auto browser = std::make_unique<CBrowserWindow>(sessions_);
    if (!browser->Create(target, platform::Rect{0, 0, rect->Width(), rect->Height()})) return false;
    if (!windows.Subclass(target, &TargetProcedure)) {
        browser->Destroy();
        return false;
    }
    Hosts().emplace_back(target, this);
    target_ = target;
    browserWindow_ = browser->Window();
    browser_ = std::move(browser);
    return true;
}

void PreviewHost::Show() {
    platform::AssertUiThread(__func__);
    if (!Attached()) return;
    platform::WindowSystem& windows = platform::Windows();
    windows.ShowWindow(browserWindow_, true);
    if (const std::optional<platform::Rect> client = windows.ClientRect(target_)) {
        windows.PlaceWindow(browserWindow_, *client);
    }
}

void PreviewHost::Hide() {
    platform::AssertUiThread(__func__);
    if (!Attached()) return;
    browser_->Navigate(std::wstring(CBrowserWindow::kBlankPage));
    platform::Windows().ShowWindow(browserWindow_, false);
}

void PreviewHost::Detach() {
    platform::AssertUiThread(__func__);
    if (!Attached()) return;
    if (const auto found = FindEntry(target_); found != Hosts().end()) {
        platform::Windows().RemoveSubclass(target_, &TargetProcedure);
        Hosts().erase(found);
    }
    browser_->Destroy();
    browser_.reset();
    target_ = platform::kNoWindow;
    browserWindow_ = platform::kNoWindow;
}

void PreviewHost::TargetProcedure(platform::WindowHandle target, const platform::WindowNotification& notification) {
    platform::GuardEntry([&] { Follow(target, notification); });
}

void PreviewHost::Follow(platform::WindowHandle target, const platform::WindowNotification& notification) {
    PreviewHost* host = ForTarget(target);
    if (host == nullptr) return;
    platform::WindowSystem& windows = platform::Windows();
    using Kind = platform::WindowNotification::Kind;
    switch (notification.kind) {
        case Kind::Destroy:
            host->Detach();
            break;
        case Kind::Move:
            windows.MoveWindowTo(host->browserWindow_, notification.x, notification.y);
            break;
        case Kind::Size:
            windows.ResizeWindow(host->browserWindow_, notification.width, notification.height);
            break;
        case Kind::PositionChanging:
        case Kind::PositionChanged:
            // A change of position alone (SWP_NOSIZE) carries no size: the browser keeps its own.
            if (notification.carriesSize) {
                windows.ResizeWindow(host->browserWindow_, notification.width, notification.height);
            }
            break;
    }
}

}  // namespace sealwing
