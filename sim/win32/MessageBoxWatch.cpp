#include "sim/win32/MessageBoxWatch.h"

#include <algorithm>
#include <stdexcept>

namespace sealwing::sim::win32 {
namespace {

constexpr UINT kPollMilliseconds = 50;
constexpr int kMessageBoxTextId = 0xFFFF;  // the static control that holds a message box's text

thread_local MessageBoxWatch* t_watch = nullptr;

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Whether the box shows the system's warning icon (LoadIcon hands every caller the same shared icon).
bool ShowsWarningIcon(HWND box) {
    const HICON warning = LoadIconW(nullptr, IDI_WARNING);
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(child, className, 16);
        if (lstrcmpiW(className, L"Static") == 0 && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0)) == warning) {
            return true;
        }
    }
    return false;
}

}  // namespace

MessageBoxWatch::MessageBoxWatch() {
    if (t_watch != nullptr) throw std::logic_error("one message box watch per thread");
    timer_ = SetTimer(nullptr, 0, kPollMilliseconds, OnTimer);
    if (timer_ == 0) throw std::runtime_error("SetTimer failed");
    t_watch = this;
}

MessageBoxWatch::~MessageBoxWatch() {
    KillTimer(nullptr, timer_);
    t_watch = nullptr;
}

void MessageBoxWatch::AnswerBy(const std::wstring& caption, Answer answer) {
    if (answer) {
        answers_[caption] = std::move(answer);
    } else {
        answers_.erase(caption);
    }
}

void CALLBACK MessageBoxWatch::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (t_watch != nullptr) EnumThreadWindows(GetCurrentThreadId(), AnswerBox, reinterpret_cast<LPARAM>(t_watch));
}

BOOL CALLBACK MessageBoxWatch::AnswerBox(HWND window, LPARAM watchPointer) {
    auto& watch = *reinterpret_cast<MessageBoxWatch*>(watchPointer);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring_view(className) != L"#32770" || !IsWindowVisible(window) ||
        std::ranges::find(watch.answered_, window) != watch.answered_.end()) {
        return TRUE;
    }
    const std::wstring caption = WindowText(window);
    if (const auto answer = watch.answers_.find(caption); answer != watch.answers_.end()) {
        // Copied: the answer may change the watch's answers.
        const Answer answerNow = answer->second;
        if (!answerNow(window)) return TRUE;
        watch.answered_.push_back(window);
        watch.seen_.push_back({.caption = caption,
                               .text = std::wstring(),
                               .warningIcon = false,
                               .owner = GetWindow(window, GW_OWNER),
                               .window = window});
        return TRUE;
    }
    watch.answered_.push_back(window);
    const HWND textControl = GetDlgItem(window, kMessageBoxTextId);
    watch.seen_.push_back({.caption = caption,
                           .text = textControl != nullptr ? WindowText(textControl) : std::wstring(),
                           .warningIcon = ShowsWarningIcon(window),
                           .owner = GetWindow(window, GW_OWNER),
                           .window = window});
    const LRESULT defaultButton = SendMessageW(window, DM_GETDEFID, 0, 0);
    const WORD button = HIWORD(defaultButton) == DC_HASDEFID ? LOWORD(defaultButton) : IDOK;
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return TRUE;
}

}  // namespace sealwing::sim::win32
