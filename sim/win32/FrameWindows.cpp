#include "sim/win32/FrameWindows.h"

#include <stdexcept>

#include "outlook/ComError.h"

namespace sealwing::sim::win32 {
namespace {

constexpr const wchar_t* kFrameClass = L"SealwingHarnessFrame";

thread_local FrameWindows* t_frames = nullptr;

void RegisterFrameClass() {
    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = DefWindowProcW;
    frameClass.hInstance = GetModuleHandleW(nullptr);
    frameClass.lpszClassName = kFrameClass;
    if (RegisterClassW(&frameClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        throw std::runtime_error("cannot register the frame window class");
    }
}

}  // namespace

FrameWindows::FrameWindows() {
    if (t_frames != nullptr) throw std::logic_error("one set of frame windows per thread");
    RegisterFrameClass();
    t_frames = this;
}

FrameWindows::~FrameWindows() {
    t_frames = nullptr;
    for (const auto& [simulated, window] : windows_) DestroyWindow(window);
}

HWND FrameWindows::For(platform::WindowHandle simulated) {
    const auto known = windows_.find(simulated);
    if (known != windows_.end()) return known->second;
    const HWND window =
        CreateWindowExW(0, kFrameClass, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    // Asked for through IOleWindow: the failure goes back to the add-in as that call's result.
    if (window == nullptr) throw outlook::ComError(HRESULT_FROM_WIN32(GetLastError()), L"No frame window");
    windows_.emplace(simulated, window);
    return window;
}

platform::WindowHandle ServedWindow(platform::WindowHandle simulated) {
    if (t_frames == nullptr || simulated == platform::kNoWindow) return simulated;
    return reinterpret_cast<platform::WindowHandle>(t_frames->For(simulated));
}

}  // namespace sealwing::sim::win32
