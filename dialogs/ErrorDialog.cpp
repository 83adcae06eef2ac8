#include "dialogs/ErrorDialog.h"

#include "dialogs/ErrorDialogTemplate.h"
#include "dialogs/WebLink.h"
#include "platform/Platform.h"
#include "platform/UserInterface.h"

namespace sealwing::dialogs {

int CErrorDlg::Show(platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    return platform::TheUserInterface().RunDialog(*this, owner);
}

const platform::DialogTemplate& CErrorDlg::Template() const { return kErrorDialogTemplate; }

void CErrorDlg::OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>&) {
    view.SetText(kErrorDetailsId, text_);
}

std::optional<int> CErrorDlg::OnCommand(platform::DialogView&, int controlId) {
    if (controlId == platform::kDialogOk) return platform::kDialogOk;
    return std::nullopt;
}

void CErrorDlg::OnLink(platform::DialogView&, int, std::wstring_view address) { OpenWebLink(address); }

void ShowErrorNotice(platform::WindowHandle owner, const std::wstring& text) { CErrorDlg(text).Show(owner); }

}  // namespace sealwing::dialogs
