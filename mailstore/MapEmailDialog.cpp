#include "mailstore/MapEmailDialog.h"

#include <utility>

#include "mailstore/MapEmailDialogTemplate.h"
#include "platform/Platform.h"
#include "platform/UserInterface.h"

namespace sealwing::mailstore {

CMapEmailDlg::CMapEmailDlg(std::wstring accountName) : accountName_(std::move(accountName)) {}

int CMapEmailDlg::Show(platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    return platform::TheUserInterface().RunDialog(*this, owner);
}

const platform::DialogTemplate& CMapEmailDlg::Template() const { return kMapEmailDialogTemplate; }

void CMapEmailDlg::OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>&) {
    view.SetText(kMapEmailAccountFieldId, accountName_);
}

std::optional<int> CMapEmailDlg::OnCommand(platform::DialogView& view, int controlId) {
    if (controlId != platform::kDialogOk) return std::nullopt;
    email_ = view.Text(kMapEmailAddressFieldId);
    return platform::kDialogOk;
}

}  // namespace sealwing::mailstore
