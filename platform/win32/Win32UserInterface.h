#pragma once

#include "platform/win32/Win32Headers.h"

#include "platform/UserInterface.h"

namespace sealwing::platform {

// Message boxes through MessageBoxW (the port's flag values are Windows' own), and dialogs from the templates of one
// module's resources.
class Win32UserInterface final : public UserInterface {
public:
    // `module` holds the dialog templates (the add-in's DLL); `activationContext` (its common-controls 6 manifest's;
    // null for none) is active while each dialog is made. Both stay the caller's.
    Win32UserInterface(HINSTANCE module, HANDLE activationContext)
        : module_(module), activationContext_(activationContext) {}

    // DialogResult::None when the box could not be shown.
    DialogResult ShowMessageBox(const MessageBoxRequest& request) override;

    // Runs the template with the dialog's template id. kDialogFailed when the dialog could not be made (no template,
    // no display, a dead owner); GetLastError then says why. What the Dialog throws ends the dialog and is rethrown
    // here once its window is gone, so an outlook::ComError reaches the handler that would have caught it anyway.
    int RunDialog(Dialog& dialog, WindowHandle owner) override;

    // GetSaveFileNameW, from comdlg32.dll loaded on first use: a path of at most 259 characters, and no option flags,
    // so no overwrite prompt. Nothing when the user cancelled or the dialog could not be shown.
    std::optional<std::wstring> ChooseSaveFile(const SaveFileRequest& request) override;

    // ShellExecuteW with the "open" verb, an empty directory and SW_SHOWMAXIMIZED: the default browser opens the
    // address maximised. A failure is the shell's to report; nothing comes back.
    void OpenLink(const std::wstring& address) override;

private:
    HINSTANCE module_;
    HANDLE activationContext_;
};

}  // namespace sealwing::platform
