#include "addin/win32/RestartNotice.h"

#include <windows.h>

#include <string_view>

namespace sealwing::win32 {
namespace {

constexpr int kTitleLimit = 255;

struct Search {
    bool found = false;
};

// Allocates nothing, so nothing can be thrown through user32's frames.
BOOL CALLBACK InspectWindow(HWND window, LPARAM context) noexcept {
    wchar_t title[kTitleLimit + 1] = {};
    GetWindowTextW(window, title, kTitleLimit + 1);
    const std::wstring_view text(title);
    if (text.find(L"Microsoft Outlook") == std::wstring_view::npos ||
        text.find(L"Parcelon") != std::wstring_view::npos) {
        return TRUE;
    }
    reinterpret_cast<Search*>(context)->found = true;
    return FALSE;
}

}  // namespace

bool ShowRestartNoticeIfOutlookRuns() {
    Search search;
    EnumWindows(InspectWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) return false;
    MessageBoxW(
        nullptr,
        L"Please note: You will have to restart Microsoft Outlook prior to using Parcelon for Microsoft Outlook",
        L"Parcelon addin for Microsoft Outlook", MB_OK | MB_SYSTEMMODAL);
    return true;
}

}  // namespace sealwing::win32
