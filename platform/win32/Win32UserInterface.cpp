#include "platform/win32/Win32UserInterface.h"

#include "platform/win32/Win32Headers.h"

namespace sealwing::platform {

DialogResult Win32UserInterface::ShowMessageBox(const MessageBoxRequest& request) {
    const UINT flags = static_cast<UINT>(request.icon) | static_cast<UINT>(request.buttons);
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

}  // namespace sealwing::platform
