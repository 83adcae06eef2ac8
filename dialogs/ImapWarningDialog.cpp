#include "dialogs/ImapWarningDialog.h"

#include "dialogs/ImapWarningDialogTemplate.h"
#include "platform/Platform.h"
#include "platform/UserInterface.h"

namespace sealwing::dialogs {

bool CIMAPWarningDlg::Show(platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    dontShowAgain_ = false;
    platform::TheUserInterface().RunDialog(*this, owner);
    return dontShowAgain_;
}

const platform::DialogTemplate& CIMAPWarningDlg::Template() const { return kImapWarningDialogTemplate; }

void CIMAPWarningDlg::OnOpen(platform::DialogView&, const std::shared_ptr<platform::DialogMailbox>&) {}

std::optional<int> CIMAPWarningDlg::OnCommand(platform::DialogView& view, int controlId) {
    if (controlId != platform::kDialogOk) return std::nullopt;
    dontShowAgain_ = view.IsChecked(kImapWarningDontShowId);
    return platform::kDialogOk;
}

std::optional<int> CIMAPWarningDlg::OnClose(platform::DialogView& view) {
    dontShowAgain_ = view.IsChecked(kImapWarningDontShowId);
    return platform::kDialogCancel;
}

}  // namespace sealwing::dialogs
