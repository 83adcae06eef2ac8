#include "sim/win32/FrameWindows.h"

#include <stdexcept>

#include "outlook/ComError.h"

namespace sealwing::sim::win32 {
namespace {

constexpr const wchar_t* kFrameClass = L"SealwingHarnessFrame";

thread_local FrameWindows* t_frames = nullptr;

void RegisterPlainClass(const wchar_t* name) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = name;
    if (RegisterClassW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error("cannot register a window class of the frames");
    }
}

}  // namespace

FrameWindows::FrameWindows() {
    if (t_frames != nullptr) throw std::logic_error("one set of frame windows per thread");
    RegisterPlainClass(kFrameClass);
    t_frames = this;
}

FrameWindows::FrameWindows(platform::WindowSystem& simulated) : FrameWindows() { simulated_ = &simulated; }

FrameWindows::~FrameWindows() {
    t_frames = nullptr;
    // A frame takes its children along.
    for (const auto& [simulated, window] : windows_) DestroyWindow(window);
    for (const std::wstring& name : childClasses_) UnregisterClassW(name.c_str(), GetModuleHandleW(nullptr));
}

HWND FrameWindows::For(platform::WindowHandle simulated) {
    if (const HWND child = MirrorOf(simulated); child != nullptr) return child;
    const auto known = windows_.find(simulated);
    if (known != windows_.end()) {
        MirrorChildren(simulated, known->second);
        return known->second;
    }
    const HWND window =
        CreateWindowExW(0, kFrameClass, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    // Asked for through IOleWindow: the failure goes back to the add-in as that call's result.
    if (window == nullptr) throw outlook::ComError(HRESULT_FROM_WIN32(GetLastError()), L"No frame window");
    windows_.emplace(simulated, window);
    if (simulated_ != nullptr) {
        // Where the simulated frame is, so that its children's screen places hold for the real ones too.
        if (const auto rect = simulated_->WindowRect(simulated)) {
            SetWindowPos(window, nullptr, rect->left, rect->top, rect->Width(), rect->Height(),
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        MirrorChildren(simulated, window);
    }
    return window;
}

HWND FrameWindows::MirrorOf(platform::WindowHandle simulated) const {
    const auto found = children_.find(simulated);
    return found != children_.end() ? found->second : nullptr;
}

void FrameWindows::MirrorChildren(platform::WindowHandle simulated, HWND real) {
    if (simulated_ == nullptr) return;
    for (const platform::WindowHandle child : simulated_->Children(simulated)) {
        HWND mirror = MirrorOf(child);
        if (mirror == nullptr) {
            const std::wstring className = simulated_->ClassName(child);
            const auto rect = simulated_->WindowRect(child);
            if (className.empty() || !rect) continue;
            if (childClasses_.insert(className).second) RegisterPlainClass(className.c_str());
            POINT origin{rect->left, rect->top};
            ScreenToClient(real, &origin);
            mirror = CreateWindowExW(0, className.c_str(), simulated_->Title(child).c_str(),
                                     WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, origin.x, origin.y, rect->Width(),
                                     rect->Height(), real, nullptr, GetModuleHandleW(nullptr), nullptr);
            if (mirror == nullptr) continue;
            children_.emplace(child, mirror);
        }
        MirrorChildren(child, mirror);
    }
}

platform::WindowHandle ServedWindow(platform::WindowHandle simulated) {
    if (t_frames == nullptr || simulated == platform::kNoWindow) return simulated;
    return reinterpret_cast<platform::WindowHandle>(t_frames->For(simulated));
}

}  // namespace sealwing::sim::win32
