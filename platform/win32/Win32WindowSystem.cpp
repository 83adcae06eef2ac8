#include "platform/win32/Win32WindowSystem.h"

#include "platform/win32/Win32Headers.h"
#include <commctrl.h>

#include <exception>
#include <set>
#include <utility>

#include "platform/EntryGuard.h"

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

// The module holding this code: the add-in's DLL, not Outlook's executable, owns the window class.
HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

bool RegisterChildClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &::DefWindowProcW;
    windowClass.hInstance = ThisModule();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = Win32WindowSystem::kChildWindowClass;
    return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The subclasses made, so that a window gets each procedure once (comctl32 would take a second one as a change of
// the first's data). UI thread only, as subclassing is.
std::set<std::pair<WindowHandle, SubclassProcedure>>& Subclassed() {
    static std::set<std::pair<WindowHandle, SubclassProcedure>> subclassed;
    return subclassed;
}

// One subclass per procedure: its id and its reference data are the procedure itself. Windows' messages become the
// port's notifications, told before the window hears them; the subclass goes with the window.
LRESULT CALLBACK NotifyingSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR data) {
    WindowNotification notification;
    bool tell = true;
    switch (message) {
        case WM_MOVE:
            notification.kind = WindowNotification::Kind::Move;
            notification.x = static_cast<short>(LOWORD(lParam));
            notification.y = static_cast<short>(HIWORD(lParam));
            break;
        case WM_SIZE:
            notification.kind = WindowNotification::Kind::Size;
            notification.width = LOWORD(lParam);
            notification.height = HIWORD(lParam);
            break;
        case WM_WINDOWPOSCHANGING:
        case WM_WINDOWPOSCHANGED: {
            const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
            notification.kind = message == WM_WINDOWPOSCHANGING ? WindowNotification::Kind::PositionChanging
                                                                : WindowNotification::Kind::PositionChanged;
            notification.carriesSize = (position->flags & SWP_NOSIZE) == 0;
            if (notification.carriesSize) {
                notification.width = position->cx;
                notification.height = position->cy;
            }
            break;
        }
        case WM_DESTROY:
            notification.kind = WindowNotification::Kind::Destroy;
            break;
        case WM_NCDESTROY:
            Subclassed().erase({FromHwnd(window), reinterpret_cast<SubclassProcedure>(data)});
            ::RemoveWindowSubclass(window, &NotifyingSubclass, id);
            tell = false;
            break;
        default:
            tell = false;
            break;
    }
    if (tell) {
        const auto procedure = reinterpret_cast<SubclassProcedure>(data);
        GuardEntry([&] { procedure(FromHwnd(window), notification); });
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
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

namespace sealwing::platform {

std::optional<Rect> Win32WindowSystem::ClientRect(WindowHandle window) {
    RECT rect{};
    if (window == kNoWindow || !::GetClientRect(ToHwnd(window), &rect)) return std::nullopt;
    return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

WindowHandle Win32WindowSystem::CreateChildWindow(WindowHandle parent, Rect rect) {
    static const bool registered = RegisterChildClass();
    if (!registered || !IsWindow(parent)) return kNoWindow;
    const HWND window = ::CreateWindowExW(
        0, kChildWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rect.left, rect.top,
        rect.Width(), rect.Height(), ToHwnd(parent), nullptr, ThisModule(), nullptr);
    return FromHwnd(window);
}

void Win32WindowSystem::DestroyWindow(WindowHandle window) {
    if (IsWindow(window)) ::DestroyWindow(ToHwnd(window));
}

void Win32WindowSystem::MoveWindowTo(WindowHandle window, int x, int y) {
    ::SetWindowPos(ToHwnd(window), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowSystem::ResizeWindow(WindowHandle window, int width, int height) {
    ::SetWindowPos(ToHwnd(window), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowSystem::PlaceWindow(WindowHandle window, Rect rect) {
    ::SetWindowPos(ToHwnd(window), nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowSystem::ShowWindow(WindowHandle window, bool visible) {
    ::ShowWindow(ToHwnd(window), visible ? SW_SHOW : SW_HIDE);
}

bool Win32WindowSystem::Subclass(WindowHandle window, SubclassProcedure procedure) {
    if (!IsWindow(window) || procedure == nullptr) return false;
    if (!Subclassed().emplace(window, procedure).second) return false;
    const auto id = reinterpret_cast<UINT_PTR>(procedure);
    if (::SetWindowSubclass(ToHwnd(window), &NotifyingSubclass, id, reinterpret_cast<DWORD_PTR>(procedure))) {
        return true;
    }
    Subclassed().erase({window, procedure});
    return false;
}

void Win32WindowSystem::RemoveSubclass(WindowHandle window, SubclassProcedure procedure) {
    if (Subclassed().erase({window, procedure}) == 0) return;
    ::RemoveWindowSubclass(ToHwnd(window), &NotifyingSubclass, reinterpret_cast<UINT_PTR>(procedure));
}

}  // namespace sealwing::platform
