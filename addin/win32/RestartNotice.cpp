#include "addin/win32/RestartNotice.h"

#include <windows.h>

#include <string>

namespace sealwing::win32 {
namespace {

constexpr int kTitleLimit = 255;

struct Search {
    bool found = false;
};

BOOL CALLBACK InspectWindow(HWND window, LPARAM context) {
    wchar_t title[kTitleLimit + 1] = {};
    GetWindowTextW(window, title, kTitleLimit + 1);
    const std::wstring text(title);
    if (text.find(L"Microsoft Outlook") == std::wstring::npos || text.find(L"Parcelon") != std::wstring::npos) {
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
