#include "dialogs/AccountRequiredDialog.h"

#include "dialogs/AccountRequiredDialogTemplate.h"
#include "dialogs/ServiceWebSite.h"
#include "dialogs/WebLink.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"
#include "settings/SettingsStore.h"

namespace sealwing::dialogs {

bool CAccountRequiredDlg::Show(platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    dontShowAgain_ = false;
    platform::TheUserInterface().RunDialog(*this, owner);
    return dontShowAgain_;
}

const platform::DialogTemplate& CAccountRequiredDlg::Template() const { return kAccountRequiredDialogTemplate; }

void CAccountRequiredDlg::OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>&) {
    const wchar_t* message = forSending_ ? kAccountRequiredForSendingText : kAccountRequiredForReadingText;
    view.SetText(kAccountRequiredMessageId, platform::FillIn(message, {email_}));
    if (forSending_) view.SetVisible(kAccountRequiredDontShowId, false);
}

std::optional<int> CAccountRequiredDlg::OnCommand(platform::DialogView& view, int controlId) {
    if (controlId != kCreateAccountId) return std::nullopt;
    OpenWebLink(AccountCreationAddress(email_));
    dontShowAgain_ = view.IsChecked(kAccountRequiredDontShowId);
    return platform::kDialogOk;
}

std::optional<int> CAccountRequiredDlg::OnClose(platform::DialogView& view) {
    dontShowAgain_ = view.IsChecked(kAccountRequiredDontShowId);
    return platform::kDialogCancel;
}

void ShowAccountRequiredForReading(platform::WindowHandle owner, const std::wstring& email) {
    if (CAccountRequiredDlg(email, false).Show(owner))
        settings::SettingsStore::Instance().SetSuppressUnregisteredWarnings();
}

void ShowAccountRequiredForSending(platform::WindowHandle owner, const std::wstring& email) {
    CAccountRequiredDlg(email, true).Show(owner);
}

}  // namespace sealwing::dialogs
