#include "platform/win32/Win32WindowSystem.h"

#include "platform/win32/Win32Headers.h"

#include <exception>
#include <utility>

namespace sealwing::platform {
namespace {

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle FromHwnd(HWND window) { return reinterpret_cast<WindowHandle>(window); }

struct Collection {
    std::vector<WindowHandle> windows;
    std::exception_ptr failure;
};

// A failure to grow the list must not unwind through user32's frames: it stops the enumeration and is rethrown to the
// caller once EnumWindows has returned.
BOOL CALLBACK CollectWindow(HWND window, LPARAM context) noexcept {
    auto& collection = *reinterpret_cast<Collection*>(context);
    try {
        collection.windows.push_back(FromHwnd(window));
        return TRUE;
    } catch (...) {
        collection.failure = std::current_exception();
        return FALSE;
    }
}

}  // namespace

bool Win32WindowSystem::IsWindow(WindowHandle window) {
    return window != kNoWindow && ::IsWindow(ToHwnd(window)) != FALSE;
}

std::vector<WindowHandle> Win32WindowSystem::TopLevelWindows() {
    Collection collection;
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&collection));
    if (collection.failure) std::rethrow_exception(collection.failure);
    return std::move(collection.windows);
}

// GetWindow walks one level only; EnumChildWindows would descend into grandchildren.
std::vector<WindowHandle> Win32WindowSystem::Children(WindowHandle window) {
    std::vector<WindowHandle> children;
    if (!IsWindow(window)) return children;
    for (HWND child = ::GetWindow(ToHwnd(window), GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(FromHwnd(child));
    }
    return children;
}

WindowHandle Win32WindowSystem::Parent(WindowHandle window) {
    if (!IsWindow(window)) return kNoWindow;
    HWND parent = ::GetAncestor(ToHwnd(window), GA_PARENT);
    if (parent == nullptr || parent == ::GetDesktopWindow()) return kNoWindow;
    return FromHwnd(parent);
}

std::wstring Win32WindowSystem::ClassName(WindowHandle window) {
    wchar_t name[256] = {};  // class names are at most 256 characters with the NUL
    const int length = ::GetClassNameW(ToHwnd(window), name, 256);
    return length > 0 ? std::wstring(name, static_cast<std::size_t>(length)) : std::wstring();
}

std::wstring Win32WindowSystem::Title(WindowHandle window) {
    const int length = ::GetWindowTextLengthW(ToHwnd(window));
    if (length <= 0) return {};
    std::wstring title(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(ToHwnd(window), title.data(), length + 1);
    title.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return title;
}

std::optional<Rect> Win32WindowSystem::WindowRect(WindowHandle window) {
    RECT rect{};
    if (window == kNoWindow || !::GetWindowRect(ToHwnd(window), &rect)) return std::nullopt;
    return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

WindowHandle Win32WindowSystem::Foreground() { return FromHwnd(::GetForegroundWindow()); }

}  // namespace sealwing::platform
