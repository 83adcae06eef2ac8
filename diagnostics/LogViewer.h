#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Dialog.h"

namespace sealwing::diagnostics {

// Shows activity-log text (ANSI, line feeds only) read-only, and saves it to a file of the user's choosing exactly as
// it was given. Runs on the thread that opens it: Outlook's, or a worker offering its crash report.
class CLogViewDlg final : public platform::Dialog {
public:
    // Keeps a reference: `text` must outlive the dialog.
    explicit CLogViewDlg(const std::string& text) : text_(text) {}

    // Modal over `owner`; 0 however it is closed.
    int Show(platform::WindowHandle owner);

    const platform::DialogTemplate& Template() const override;
    void OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>& mailbox) override;
    std::optional<int> OnCommand(platform::DialogView& view, int controlId) override;
    std::optional<int> OnClose(platform::DialogView& view) override;

private:
    void SaveAs(platform::DialogView& view);

    const std::string& text_;
};

// Shows `text` in the viewer, modal over `owner`.
void ShowLogViewer(const std::string& text, platform::WindowHandle owner);

// The text as an edit control breaks lines: every line feed becomes carriage return + line feed.
std::string WithCarriageReturns(std::string_view text);

}  // namespace sealwing::diagnostics
