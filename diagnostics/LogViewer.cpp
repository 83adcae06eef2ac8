#include "diagnostics/LogViewer.h"

#include "diagnostics/Log.h"
#include "diagnostics/LogViewerDialogTemplate.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

namespace sealwing::diagnostics {

std::string WithCarriageReturns(std::string_view text) {
    std::string shown;
    shown.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') shown += '\r';
        shown += c;
    }
    return shown;
}

int CLogViewDlg::Show(platform::WindowHandle owner) { return platform::TheUserInterface().RunDialog(*this, owner); }

const platform::DialogTemplate& CLogViewDlg::Template() const { return kLogViewerDialogTemplate; }

void CLogViewDlg::OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>&) {
    view.SetText(kLogTextId, platform::WideFromAnsi(WithCarriageReturns(text_)));
}

std::optional<int> CLogViewDlg::OnCommand(platform::DialogView& view, int controlId) {
    if (controlId == kSaveLogId) {
        SaveAs(view);
        return std::nullopt;
    }
    if (controlId == kCloseLogViewerId) return 0;
    return std::nullopt;
}

std::optional<int> CLogViewDlg::OnClose(platform::DialogView&) { return 0; }

// The user sees nothing when the file cannot be written; the log keeps the reason.
void CLogViewDlg::SaveAs(platform::DialogView& view) {
    const std::optional<std::wstring> path =
        platform::TheUserInterface().ChooseSaveFile({.owner = view.Window(),
                                                     .filterName = L"Text files(*.txt)",
                                                     .filterPattern = L"*.txt",
                                                     .defaultExtension = L"txt"});
    if (!path) return;
    if (const platform::WriteResult saved = platform::Files().ReplaceFile(*path, text_, platform::FileAccess::Default);
        !saved.ok) {
        LogWrite(L"[ERROR] Cannot save the activity log to " + *path + L". Error code is " +
                 platform::HexW(saved.error) + L"\n");
    }
}

void ShowLogViewer(const std::string& text, platform::WindowHandle owner) {
    CLogViewDlg viewer(text);
    viewer.Show(owner);
}

}  // namespace sealwing::diagnostics
