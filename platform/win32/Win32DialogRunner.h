#pragma once

#include "platform/win32/Win32Headers.h"

#include <exception>
#include <optional>

#include "platform/UserInterface.h"

namespace sealwing::platform {

// kDialogFailed (platform/UserInterface.h) is what DialogBoxParamW answers when a dialog could not run; reserved, so a
// controller never ends a dialog with it.
// The error of a run whose controller threw: Windows' ERROR_UNHANDLED_EXCEPTION, which MinGW's headers lack.
inline constexpr DWORD kDialogControllerThrew = 574;

// The caller's side of one modal dialog. Every call comes on the thread that runs the dialog, between WM_INITDIALOG
// and the dialog's end. A controller may throw: the runner ends the dialog with kDialogFailed, hands the exception
// back in the result and calls the controller no more. A controller may also end the dialog itself with EndDialog
// (from a timer or a worker's post, say).
class DialogController {
public:
    virtual ~DialogController() = default;

    // WM_INITDIALOG: the controls exist. True lets Windows focus the first control; false when the controller set
    // the focus itself.
    virtual bool OnInit(HWND dialog) = 0;

    // WM_COMMAND from a control or a menu, except IDCANCEL (see OnClose). A value ends the dialog with that result;
    // nullopt keeps it open.
    virtual std::optional<INT_PTR> OnCommand(HWND dialog, int controlId, int notifyCode) = 0;

    // The Cancel button, Escape and the close box: Windows' dialog manager turns all three into IDCANCEL. A value
    // ends the dialog with that result; nullopt refuses to close (while work the user cannot cancel runs, say).
    virtual std::optional<INT_PTR> OnClose(HWND /*dialog*/) { return IDCANCEL; }

    // Every other message: timers, WM_USER + n posted by workers, WM_CTLCOLOR* and the like. nullopt leaves the
    // message to the dialog manager. A value is the message's answer; the runner returns it the way each message
    // wants (the brush of WM_CTLCOLOR* directly, others through DWLP_MSGRESULT).
    virtual std::optional<INT_PTR> OnMessage(HWND /*dialog*/, UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
        return std::nullopt;
    }
};

// How a modal dialog ended.
struct DialogRunResult {
    // The controller's result; kDialogFailed when the dialog did not run or the controller threw.
    INT_PTR result = kDialogFailed;
    // ERROR_SUCCESS when the dialog ran to its end. Otherwise why not: the system's error when it could not be made
    // (ERROR_INVALID_WINDOW_HANDLE without a display or for a dead owner, a missing template's resource error), or
    // kDialogControllerThrew when the controller threw.
    DWORD error = ERROR_SUCCESS;
    // What the controller threw, for the caller to rethrow or report.
    std::exception_ptr exception;

    bool Ended() const { return error == ERROR_SUCCESS; }
};

// Runs modal dialogs from the dialog templates of one module (the add-in's DLL) over an owner window. Dialogs are
// created inside the given activation context (the module's common-controls 6 manifest), so their controls are the
// comctl32 6 ones: themed, and SysLink available, which Windows refuses without it.
class Win32DialogRunner {
public:
    // `activationContext` stays the caller's; null or INVALID_HANDLE_VALUE for none (the thread's current one).
    explicit Win32DialogRunner(HINSTANCE module, HANDLE activationContext = nullptr);

    // Blocks in the dialog's modal loop until the dialog ends; the owner is disabled meanwhile. Never throws.
    DialogRunResult Run(int templateId, HWND owner, DialogController& controller) const noexcept;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    HINSTANCE module_;
    HANDLE activationContext_;
};

}  // namespace sealwing::platform
