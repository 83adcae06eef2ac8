#include "platform/win32/Win32UserInterface.h"

#include <exception>

#include "platform/win32/Win32DialogAdapter.h"
#include "platform/win32/Win32DialogRunner.h"

namespace sealwing::platform {

DialogResult Win32UserInterface::ShowMessageBox(const MessageBoxRequest& request) {
    const UINT flags = static_cast<UINT>(request.icon) | static_cast<UINT>(request.buttons) |
                       (request.taskModal ? MB_TASKMODAL : 0U);
    const int chosen = ::MessageBoxW(reinterpret_cast<HWND>(request.owner), request.text.c_str(),
                                     request.caption.c_str(), flags);
    switch (chosen) {
        case IDOK: return DialogResult::Ok;
        case IDCANCEL: return DialogResult::Cancel;
        case IDYES: return DialogResult::Yes;
        case IDNO: return DialogResult::No;
        default: return DialogResult::None;
    }
}

int Win32UserInterface::RunDialog(Dialog& dialog, WindowHandle owner) {
    Win32DialogAdapter adapter(dialog);
    const DialogRunResult run = Win32DialogRunner(module_, activationContext_)
                                    .Run(dialog.Template().id, reinterpret_cast<HWND>(owner), adapter);
    adapter.Finish();
    if (run.exception) std::rethrow_exception(run.exception);
    if (!run.Ended()) {
        ::SetLastError(run.error);
        return kDialogFailed;
    }
    return static_cast<int>(run.result);
}

}  // namespace sealwing::platform
