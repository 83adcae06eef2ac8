#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/UserInterface.h"
#include "sim/DialogScreen.h"

namespace sealwing::sim {

struct ShownMessageBox {
    platform::MessageBoxRequest request{};
    platform::DialogResult answer = platform::DialogResult::None;
    bool scripted = false;  // false: nobody queued an answer and the default button was taken
};

// A dialog as it was shown: what its controls showed once it had opened, and how it ended.
struct ShownDialog {
    int templateId = 0;
    std::wstring caption{};
    platform::WindowHandle owner = platform::kNoWindow;
    std::map<int, ControlState> opened{};  // by control id
    int result = platform::kDialogFailed;
    bool scripted = false;  // false: nobody scripted it, and the user closed it
};

// A save-file dialog as it was shown, and the path the user chose (nothing: cancelled).
struct ShownSaveFile {
    platform::SaveFileRequest request{};
    std::optional<std::wstring> answer{};
    bool scripted = false;  // false: nobody queued a choice and the user cancelled
};

class WindowTree;

// The user-interface port of the simulated Outlook: a user who answers each message box with the next queued
// answer, works each dialog with the next queued script, and records everything shown, so a test asserts the exact
// words a user would see.
class ScriptedUser : public platform::UserInterface {
public:
    using DialogScript = std::function<void(DialogScreen&)>;

    // Dialogs get a window in `windows` for as long as they run (none without it).
    explicit ScriptedUser(WindowTree* windows = nullptr) : windows_(windows) {}

    // Queues the answer to the next box.
    void Answer(platform::DialogResult answer);
    // Takes the next queued answer; with none queued, the default button (Ok for Ok and OkCancel boxes, Yes for YesNo
    // and YesNoCancel boxes), recorded as unscripted. A queued answer that is no button of the box is a mistake in
    // the script and throws std::logic_error.
    platform::DialogResult ShowMessageBox(const platform::MessageBoxRequest& request) override;

    // Queues the script for the next dialog, which must come from template `templateId`. The script works the
    // screen (types, ticks, presses) and must end the dialog; one that leaves it open is a mistake and throws
    // std::logic_error. A dialog without a queued script is closed as with Escape.
    void AtDialog(int templateId, DialogScript script);
    int RunDialog(platform::Dialog& dialog, platform::WindowHandle owner) override;
    // Takes back the queued scripts for template `templateId` that no dialog used (a script that queued itself for a
    // dialog that may come again, such as the login dialog after a refused password); returns how many.
    std::size_t DropDialogScripts(int templateId);

    // Queues the choice at the next save-file dialog: a path, or nothing for Cancel.
    void AnswerSaveFile(std::optional<std::wstring> path);
    // Takes the next queued choice; with none queued, the user cancels (recorded as unscripted).
    std::optional<std::wstring> ChooseSaveFile(const platform::SaveFileRequest& request) override;

    // The browser "opens" the address: it is recorded, in order.
    void OpenLink(const std::wstring& address) override;
    const std::vector<std::wstring>& OpenedLinks() const { return openedLinks_; }

    const std::vector<ShownMessageBox>& Shown() const { return shown_; }
    const std::vector<ShownDialog>& Dialogs() const { return dialogs_; }
    std::size_t PendingDialogScripts() const { return scripts_.size(); }
    std::size_t UnscriptedCount() const;
    std::size_t PendingAnswers() const { return answers_.size(); }
    const std::vector<ShownSaveFile>& SaveFileDialogs() const { return saveFiles_; }
    std::size_t PendingSaveFileAnswers() const { return saveFileAnswers_.size(); }
    // Every box shown from now on is also printed there (nullptr: nowhere).
    void EchoTo(std::ostream* out) { echo_ = out; }

private:
    WindowTree* windows_;
    std::deque<platform::DialogResult> answers_;
    std::vector<ShownMessageBox> shown_;
    std::deque<std::pair<int, DialogScript>> scripts_;
    std::vector<ShownDialog> dialogs_;
    std::deque<std::optional<std::wstring>> saveFileAnswers_;
    std::vector<ShownSaveFile> saveFiles_;
    std::vector<std::wstring> openedLinks_;
    std::ostream* echo_ = nullptr;
};

}  // namespace sealwing::sim
