#pragma once

#include <cstdint>
#include <string>

#include "platform/Dialog.h"
#include "platform/WindowSystem.h"

namespace sealwing::platform {

// The values are Windows' own, so the Windows adapter passes them through unchanged.
enum class MessageBoxButtons : std::uint32_t { Ok = 0x0, OkCancel = 0x1, YesNoCancel = 0x3, YesNo = 0x4 };
enum class MessageBoxIcon : std::uint32_t { None = 0x0, Error = 0x10, Question = 0x20, Warning = 0x30, Information = 0x40 };
enum class DialogResult : int { None = 0, Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct MessageBoxRequest {
    WindowHandle owner = kNoWindow;
    std::wstring text;
    std::wstring caption;
    MessageBoxIcon icon = MessageBoxIcon::None;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    bool taskModal = false;  // every window of the thread waits, not only the owner (MB_TASKMODAL)
};

// What RunDialog answers when the dialog could not be shown at all.
inline constexpr int kDialogFailed = -1;

// What the user sees and answers.
class UserInterface {
public:
    virtual ~UserInterface() = default;
    // Modal; UI thread only. Returns the button the user chose.
    virtual DialogResult ShowMessageBox(const MessageBoxRequest& request) = 0;
    // Modal; UI thread only. Returns the result the dialog ended with, or kDialogFailed.
    virtual int RunDialog(Dialog& dialog, WindowHandle owner) = 0;
};

}  // namespace sealwing::platform
