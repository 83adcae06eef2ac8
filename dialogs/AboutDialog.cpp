#include "dialogs/AboutDialog.h"

#include "diagnostics/Log.h"
#include "diagnostics/LogViewer.h"
#include "dialogs/AboutDialogTemplate.h"
#include "dialogs/WebLink.h"
#include "outlook/ComError.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"
#include "settings/SettingsStore.h"

namespace sealwing::dialogs {
namespace {

// Outlook 2007 on find an Exchange account's address themselves; only Outlook 2003's mappings come from the user.
constexpr int kLastVersionMappedByTheUser = 11;

}  // namespace

void CAboutDlg::Show(platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    platform::TheUserInterface().RunDialog(*this, owner);
}

const platform::DialogTemplate& CAboutDlg::Template() const { return kAboutDialogTemplate; }

void CAboutDlg::OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>&) {
    view.SetText(kAboutTextId, platform::WideFromAnsi(kAboutRichText));
    const bool mapped = settings::SettingsStore::Instance().CachedMappingCount() > 0;
    view.SetVisible(kResetMappingsId, context_.outlookVersion <= kLastVersionMappedByTheUser && mapped);
}

std::optional<int> CAboutDlg::OnCommand(platform::DialogView& view, int controlId) {
    switch (controlId) {
        case kCloseAboutId:
            return platform::kDialogOk;
        case kViewLogId:
            // The logs as they are now: what the viewer shows does not move while it is open.
            diagnostics::ShowLogViewer(diagnostics::CollectAllLogs(), view.Window());
            return std::nullopt;
        case kResetMappingsId:
            ResetMappings(view);
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

void CAboutDlg::OnLink(platform::DialogView&, int controlId, std::wstring_view address) {
    // Every link the about text shows is the web site's; the registration link says where it goes.
    OpenWebLink(controlId == kAboutTextId ? kServiceWebSite : address);
}

void CAboutDlg::ResetMappings(platform::DialogView& view) {
    diagnostics::LogScope scope(L"Reset emails for exchange accounts");
    settings::SettingsStore::Instance().ForgetMappings();
    // A failure leaves the accounts unmapped until the next start maps them; the dialog stays up.
    try {
        if (context_.mapExchangeAccounts) context_.mapExchangeAccounts(view.Window());
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
    view.SetVisible(kResetMappingsId, false);
}

}  // namespace sealwing::dialogs
