#include "platform/win32/Win32DialogRunner.h"

namespace sealwing::platform {
namespace {

// One run of a dialog, kept in the dialog's DWLP_USER: the controller, and what it threw.
struct Session {
    DialogController& controller;
    bool began = false;
    bool failed = false;
    std::exception_ptr exception;
};

// Activates an activation context for the life of the object; a null or invalid handle activates nothing.
class ScopedActivation {
public:
    explicit ScopedActivation(HANDLE context) {
        if (context == nullptr || context == INVALID_HANDLE_VALUE) return;
        if (::ActivateActCtx(context, &cookie_)) {
            active_ = true;
        } else {
            error_ = ::GetLastError();
        }
    }
    ~ScopedActivation() {
        if (active_) ::DeactivateActCtx(0, cookie_);
    }
    ScopedActivation(const ScopedActivation&) = delete;
    ScopedActivation& operator=(const ScopedActivation&) = delete;

    DWORD Error() const { return error_; }

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
    DWORD error_ = ERROR_SUCCESS;
};

// The messages whose answer is the dialog procedure's return value itself rather than DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
    switch (message) {
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return true;
        default:
            return false;
    }
}

INT_PTR Dispatch(Session& session, HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogController& controller = session.controller;
    if (message == WM_INITDIALOG) return controller.OnInit(dialog) ? TRUE : FALSE;
    if (message == WM_COMMAND) {
        const int controlId = LOWORD(wParam);
        const std::optional<INT_PTR> end = controlId == IDCANCEL
                                               ? controller.OnClose(dialog)
                                               : controller.OnCommand(dialog, controlId, HIWORD(wParam));
        if (end) ::EndDialog(dialog, *end);
        return TRUE;
    }
    const std::optional<INT_PTR> answer = controller.OnMessage(dialog, message, wParam, lParam);
    if (!answer) return FALSE;
    if (AnswersDirectly(message)) return *answer;
    ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, *answer);
    return TRUE;
}

}  // namespace

Win32DialogRunner::Win32DialogRunner(HINSTANCE module, HANDLE activationContext)
    : module_(module), activationContext_(activationContext) {}

DialogRunResult Win32DialogRunner::Run(int templateId, HWND owner, DialogController& controller) const noexcept {
    DialogRunResult outcome;
    if (owner != nullptr && !::IsWindow(owner)) {
        outcome.error = ERROR_INVALID_WINDOW_HANDLE;
        return outcome;
    }
    const ScopedActivation activation(activationContext_);
    if (activation.Error() != ERROR_SUCCESS) {
        // Without its manifest a dialog could come up with the wrong controls (no SysLink on Windows): refuse.
        outcome.error = activation.Error();
        return outcome;
    }
    Session session{controller, false, false, nullptr};
    const INT_PTR result = ::DialogBoxParamW(module_, MAKEINTRESOURCEW(templateId), owner, &DialogProc,
                                             reinterpret_cast<LPARAM>(&session));
    const DWORD error = ::GetLastError();
    if (session.exception) {
        outcome.error = kDialogControllerThrew;
        outcome.exception = session.exception;
        return outcome;
    }
    if (!session.began) {
        // Never created: no template, no display (Wine without X answers -1 with ERROR_INVALID_WINDOW_HANDLE).
        outcome.error = error != ERROR_SUCCESS ? error : ERROR_CANNOT_MAKE;
        return outcome;
    }
    outcome.result = result;
    return outcome;
}

INT_PTR CALLBACK Win32DialogRunner::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    Session* session = nullptr;
    if (message == WM_INITDIALOG) {
        session = reinterpret_cast<Session*>(lParam);
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        session->began = true;
    } else {
        session = reinterpret_cast<Session*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT and the like) and after a failure go to the dialog manager alone.
    if (session == nullptr || session->failed) return FALSE;
    try {
        return Dispatch(*session, dialog, message, wParam, lParam);
    } catch (...) {
        // An exception must not unwind through the window manager's frames: it would end the process.
        session->failed = true;
        session->exception = std::current_exception();
        ::EndDialog(dialog, kDialogFailed);
        return TRUE;
    }
}

}  // namespace sealwing::platform
