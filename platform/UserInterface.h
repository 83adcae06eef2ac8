#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Dialog.h"
#include "platform/WindowSystem.h"

namespace sealwing::platform {

// The values are Windows' own, so the Windows adapter passes them through unchanged.
enum class MessageBoxButtons : std::uint32_t { Ok = 0x0, OkCancel = 0x1, YesNoCancel = 0x3, YesNo = 0x4 };
enum class MessageBoxIcon : std::uint32_t {
    None = 0x0,
    Error = 0x10,
    Question = 0x20,
    Warning = 0x30,
    Information = 0x40
};
enum class DialogResult : int { None = 0, Ok = 1, Cancel = 2, Yes = 6, No = 7 };

struct MessageBoxRequest {
    WindowHandle owner = kNoWindow;
    std::wstring text;
    std::wstring caption;
    MessageBoxIcon icon = MessageBoxIcon::None;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    bool taskModal = false;  // every window of the thread waits, not only the owner (MB_TASKMODAL)
};

// The standard save-file dialog: one filter, and the extension added to a name typed without one. The file is not
// checked for existence: choosing an existing file replaces it without asking.
struct SaveFileRequest {
    WindowHandle owner = kNoWindow;
    std::wstring filterName;        // what the file-type list shows: "Text files(*.txt)"
    std::wstring filterPattern;     // the names it lists: "*.txt"
    std::wstring defaultExtension;  // without the dot: "txt"
};

// What RunDialog answers when the dialog could not be shown at all.
inline constexpr int kDialogFailed = -1;

// What the user sees and answers. Everything is modal on the calling thread: Outlook's UI thread, except for the
// crash report that a worker's log offers when it opens, which the worker shows itself.
class UserInterface {
public:
    virtual ~UserInterface() = default;
    // Returns the button the user chose.
    virtual DialogResult ShowMessageBox(const MessageBoxRequest& request) = 0;
    // Returns the result the dialog ended with, or kDialogFailed.
    virtual int RunDialog(Dialog& dialog, WindowHandle owner) = 0;
    // The full path the user chose; nothing when the user cancelled or the dialog could not be shown.
    virtual std::optional<std::wstring> ChooseSaveFile(const SaveFileRequest& request) = 0;
    // Opens `address` in the user's default browser, maximised (the shell's "open" verb). Callers pass only web
    // addresses (IsWebAddress): the port opens whatever it is given, programs and documents alike.
    virtual void OpenLink(const std::wstring& address) = 0;
};

}  // namespace sealwing::platform
