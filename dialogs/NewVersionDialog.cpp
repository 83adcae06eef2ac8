#include "dialogs/NewVersionDialog.h"

#include "dialogs/NewVersionDialogTemplate.h"
#include "dialogs/WebLink.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

namespace sealwing::dialogs {

void CNewVersionDlg::Show(platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    platform::TheUserInterface().RunDialog(*this, owner);
}

const platform::DialogTemplate& CNewVersionDlg::Template() const { return kNewVersionDialogTemplate; }

void CNewVersionDlg::OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>&) {
    view.SetText(kNewVersionTextId, platform::FillIn(kNewVersionText, {offered_.info_url, offered_.info_url,
                                                                       offered_.binary_url, offered_.binary_url}));
}

// The one button is Cancel, which reaches OnClose. Enter, with no default button to press, comes as IDOK: it ends
// the notice as well.
std::optional<int> CNewVersionDlg::OnCommand(platform::DialogView&, int controlId) {
    if (controlId == platform::kDialogOk) return platform::kDialogOk;
    return std::nullopt;
}

void CNewVersionDlg::OnLink(platform::DialogView&, int, std::wstring_view address) { OpenWebLink(address); }

}  // namespace sealwing::dialogs
