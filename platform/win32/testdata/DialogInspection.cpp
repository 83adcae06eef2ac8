#include "platform/win32/testdata/DialogInspection.h"

// GDI+'s headers lean on COM types that WIN32_LEAN_AND_MEAN leaves out of windows.h: objidl.h must come first.
// clang-format off
#include <objidl.h>
#include <gdiplus.h>
// clang-format on

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "platform/win32/Win32Graphics.h"

namespace sealwing::platform::win32::testing {

std::wstring ItemText(HWND dialog, int id) {
    const HWND control = ::GetDlgItem(dialog, id);
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Click(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

ColourAnswer AskColour(HWND dialog, int id, UINT message) {
    const HWND control = ::GetDlgItem(dialog, id);
    const HDC context = ::GetDC(control);
    ColourAnswer answer;
    answer.brush =
        ::SendMessageW(dialog, message, reinterpret_cast<WPARAM>(context), reinterpret_cast<LPARAM>(control));
    answer.textColour = ::GetTextColor(context);
    answer.backgroundMode = ::GetBkMode(context);
    ::ReleaseDC(control, context);
    return answer;
}

int Picture::RedPixels(const RECT& area) const {
    int count = 0;
    for (int y = std::max(0, static_cast<int>(area.top)); y < std::min(height, static_cast<int>(area.bottom)); ++y) {
        for (int x = std::max(0, static_cast<int>(area.left)); x < std::min(width, static_cast<int>(area.right)); ++x) {
            const std::uint32_t pixel = pixels[static_cast<std::size_t>(y) * width + x];
            const int red = (pixel >> 16) & 0xFF;
            const int green = (pixel >> 8) & 0xFF;
            const int blue = pixel & 0xFF;
            if (red >= 200 && green <= 80 && blue <= 80) ++count;
        }
    }
    return count;
}

Picture Capture(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    Picture picture;
    picture.width = bounds.right - bounds.left;
    picture.height = bounds.bottom - bounds.top;
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    const HDC source = ::GetWindowDC(window);
    const HDC memory = ::CreateCompatibleDC(source);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(source, picture.width, picture.height);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, picture.width, picture.height, source, 0, 0, SRCCOPY);
    ::SelectObject(memory, previous);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = picture.width;
    format.bmiHeader.biHeight = -picture.height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(picture.height), picture.pixels.data(), &format, DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(window, source);
    return picture;
}

RECT ControlArea(HWND dialog, int id) {
    RECT window{};
    RECT control{};
    ::GetWindowRect(dialog, &window);
    ::GetWindowRect(::GetDlgItem(dialog, id), &control);
    return RECT{control.left - window.left, control.top - window.top, control.right - window.left,
                control.bottom - window.top};
}

std::wstring ArtefactPath(const wchar_t* name) {
    std::wstring folder;
    if (const wchar_t* chosen = ::_wgetenv(L"SEALWING_ARTEFACTS_DIR"); chosen != nullptr && *chosen != L'\0') {
        folder = chosen;
    } else {
        std::wstring program(MAX_PATH, L'\0');
        program.resize(::GetModuleFileNameW(nullptr, program.data(), MAX_PATH));
        program.resize(program.find_last_of(L'\\'));
        folder = program.substr(0, program.find_last_of(L'\\') + 1) + L"artefacts";
    }
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\" + name;
}

bool SavePng(const Picture& picture, const std::wstring& path) {
    Win32Graphics graphics;
    const std::uintptr_t token = graphics.Startup();
    if (token == 0) return false;
    bool saved = false;
    {
        UINT count = 0;
        UINT size = 0;
        Gdiplus::GetImageEncodersSize(&count, &size);
        std::vector<std::uint8_t> buffer(size);
        auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        Gdiplus::GetImageEncoders(count, size, encoders);
        std::vector<std::uint32_t> pixels = picture.pixels;
        Gdiplus::Bitmap bitmap(picture.width, picture.height, picture.width * 4, PixelFormat32bppRGB,
                               reinterpret_cast<BYTE*>(pixels.data()));
        for (UINT i = 0; i < count; ++i) {
            if (std::wstring_view(encoders[i].MimeType) == L"image/png") {
                saved = bitmap.Save(path.c_str(), &encoders[i].Clsid, nullptr) == Gdiplus::Ok;
            }
        }
    }
    graphics.Shutdown(token);
    return saved;
}

OwnerWindow::OwnerWindow()
    : window_(::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr)) {}

OwnerWindow::~OwnerWindow() {
    if (window_ != nullptr) ::DestroyWindow(window_);
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

namespace {

BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (std::wstring_view(name) == L"#32770" && ::IsWindowVisible(window)) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> ShownDialogs() {
    std::vector<HWND> found;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND ShownDialog(const std::wstring& caption) {
    for (const HWND window : ShownDialogs()) {
        if (WindowText(window) == caption) return window;
    }
    return nullptr;
}

void PostClick(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

DialogPlayer* DialogPlayer::playing_ = nullptr;

DialogPlayer::DialogPlayer(std::vector<DialogStep> steps) : steps_(std::move(steps)) {
    playing_ = this;
    timer_ = ::SetTimer(nullptr, 0, 10, &Tick);
}

DialogPlayer::~DialogPlayer() {
    ::KillTimer(nullptr, timer_);
    playing_ = nullptr;
}

void CALLBACK DialogPlayer::Tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogPlayer* self = playing_;
    if (self == nullptr) return;
    if (self->next_ < self->steps_.size()) {
        const DialogStep& step = self->steps_[self->next_];
        for (const HWND window : ShownDialogs()) {
            if (WindowText(window) != step.caption || !::IsWindowEnabled(window)) continue;
            ++self->next_;
            self->idleTicks_ = 0;
            step.act(window);
            return;
        }
    }
    if (++self->idleTicks_ > kGiveUpTicks) {
        for (const HWND window : ShownDialogs()) ::EndDialog(window, kGaveUp);
    }
}

}  // namespace sealwing::platform::win32::testing
