#include "sim/ScriptedUser.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "sim/WindowTree.h"

namespace sealwing::sim {
namespace {

using platform::DialogResult;
using platform::MessageBoxButtons;

std::vector<DialogResult> ButtonsOf(MessageBoxButtons buttons) {
    switch (buttons) {
        case MessageBoxButtons::Ok:
            return {DialogResult::Ok};
        case MessageBoxButtons::OkCancel:
            return {DialogResult::Ok, DialogResult::Cancel};
        case MessageBoxButtons::YesNo:
            return {DialogResult::Yes, DialogResult::No};
        case MessageBoxButtons::YesNoCancel:
            return {DialogResult::Yes, DialogResult::No, DialogResult::Cancel};
    }
    return {DialogResult::Ok};
}

const char* NameOf(DialogResult result) {
    switch (result) {
        case DialogResult::None:
            return "None";
        case DialogResult::Ok:
            return "Ok";
        case DialogResult::Cancel:
            return "Cancel";
        case DialogResult::Yes:
            return "Yes";
        case DialogResult::No:
            return "No";
    }
    return "?";
}

const char* NameOf(platform::MessageBoxIcon icon) {
    switch (icon) {
        case platform::MessageBoxIcon::None:
            return "no icon";
        case platform::MessageBoxIcon::Error:
            return "error icon";
        case platform::MessageBoxIcon::Question:
            return "question icon";
        case platform::MessageBoxIcon::Warning:
            return "warning icon";
        case platform::MessageBoxIcon::Information:
            return "information icon";
    }
    return "?";
}

}  // namespace

void ScriptedUser::Answer(DialogResult answer) { answers_.push_back(answer); }

DialogResult ScriptedUser::ShowMessageBox(const platform::MessageBoxRequest& request) {
    const std::vector<DialogResult> buttons = ButtonsOf(request.buttons);
    ShownMessageBox shown{request, buttons.front(), false};
    if (!answers_.empty()) {
        shown.answer = answers_.front();
        shown.scripted = true;
        answers_.pop_front();
        if (std::find(buttons.begin(), buttons.end(), shown.answer) == buttons.end()) {
            throw std::logic_error(std::string("scripted answer ") + NameOf(shown.answer) +
                                   " is no button of the message box \"" + platform::Utf8FromWide(request.text) + "\"");
        }
    }
    shown_.push_back(shown);
    if (echo_ != nullptr) {
        *echo_ << "[message box] \"" << platform::Utf8FromWide(request.caption) << "\", " << NameOf(request.icon)
               << "\n"
               << platform::Utf8FromWide(request.text) << "\n-> " << NameOf(shown.answer)
               << (shown.scripted ? "" : " (default)") << "\n";
    }
    return shown.answer;
}

std::size_t ScriptedUser::UnscriptedCount() const {
    return static_cast<std::size_t>(
        std::count_if(shown_.begin(), shown_.end(), [](const ShownMessageBox& box) { return !box.scripted; }));
}

void ScriptedUser::AtDialog(int templateId, DialogScript script) {
    scripts_.emplace_back(templateId, std::move(script));
}

std::size_t ScriptedUser::DropDialogScripts(int templateId) {
    return std::erase_if(scripts_, [templateId](const auto& queued) { return queued.first == templateId; });
}

int ScriptedUser::RunDialog(platform::Dialog& dialog, platform::WindowHandle owner) {
    const platform::DialogTemplate& layout = dialog.Template();
    DialogScript script;
    if (!scripts_.empty()) {
        if (scripts_.front().first != layout.id) {
            throw std::logic_error("dialog " + std::to_string(layout.id) + " opened where the script expected dialog " +
                                   std::to_string(scripts_.front().first));
        }
        script = std::move(scripts_.front().second);
        scripts_.pop_front();
    }

    platform::WindowHandle window = platform::kNoWindow;
    if (windows_ != nullptr) {
        window = windows_->Create(platform::kNoWindow, L"#32770", std::wstring(layout.caption),
                                  platform::Rect{0, 0, layout.width * 2, layout.height * 2});
    }
    struct WindowCloser {
        WindowTree* windows;
        platform::WindowHandle window;
        ~WindowCloser() {
            if (windows != nullptr && window != platform::kNoWindow) windows->Destroy(window);
        }
    } closer{windows_, window};

    DialogScreen screen(dialog, window, owner);
    dialogs_.push_back(ShownDialog{.templateId = layout.id,
                                   .caption = std::wstring(layout.caption),
                                   .owner = owner,
                                   .scripted = static_cast<bool>(script)});
    const std::size_t index = dialogs_.size() - 1;
    screen.Open();
    dialogs_[index].opened = screen.Controls();
    if (!screen.Ended()) {
        if (script) {
            script(screen);
        } else {
            screen.Close();
        }
    }
    if (!screen.Ended()) {
        throw std::logic_error("dialog " + std::to_string(layout.id) + " is still open after its script");
    }
    dialogs_[index].result = *screen.Result();
    if (echo_ != nullptr) {
        *echo_ << "[dialog " << layout.id << "] \"" << platform::Utf8FromWide(layout.caption) << "\" -> "
               << dialogs_[index].result << (script ? "" : " (closed)") << "\n";
    }
    return dialogs_[index].result;
}

void ScriptedUser::AnswerSaveFile(std::optional<std::wstring> path) { saveFileAnswers_.push_back(std::move(path)); }

std::optional<std::wstring> ScriptedUser::ChooseSaveFile(const platform::SaveFileRequest& request) {
    ShownSaveFile shown{request, std::nullopt, false};
    if (!saveFileAnswers_.empty()) {
        shown.answer = std::move(saveFileAnswers_.front());
        shown.scripted = true;
        saveFileAnswers_.pop_front();
    }
    saveFiles_.push_back(shown);
    if (echo_ != nullptr) {
        *echo_ << "[save file] " << platform::Utf8FromWide(request.filterName) << " -> ";
        if (shown.answer) {
            *echo_ << platform::Utf8FromWide(*shown.answer) << "\n";
        } else {
            *echo_ << "cancelled" << (shown.scripted ? "" : " (default)") << "\n";
        }
    }
    return shown.answer;
}

void ScriptedUser::OpenLink(const std::wstring& address) {
    openedLinks_.push_back(address);
    if (echo_ != nullptr) *echo_ << "[browser] opens " << platform::Utf8FromWide(address) << "\n";
}

}  // namespace sealwing::sim
