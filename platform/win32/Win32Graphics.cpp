#include "platform/win32/Win32Graphics.h"

#include "platform/win32/Win32Headers.h"

// GDI+'s headers lean on COM types that WIN32_LEAN_AND_MEAN leaves out of windows.h.
// clang-format off
#include <objidl.h>
#include <gdiplus.h>
// clang-format on

namespace sealwing::platform {

std::uintptr_t Win32Graphics::Startup() {
    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, GDI+'s own background thread
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 0;
    return token;
}

void Win32Graphics::Shutdown(std::uintptr_t token) {
    if (token != 0) Gdiplus::GdiplusShutdown(token);
}

}  // namespace sealwing::platform
