#include "addin/MainWindowOptions.h"

#include <string>

#include "diagnostics/FixedTexts.h"
#include "diagnostics/Log.h"
#include "mailstore/OutlookAccounts.h"
#include "options/OptionsDialog.h"
#include "platform/Platform.h"
#include "settings/SettingsStore.h"

namespace sealwing {

void ShowMainWindowOptions(const outlook::Ref<outlook::Application>& application, int outlookMajorVersion,
                           platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    diagnostics::LogScope scope(L"Options to be shown in explorer window",
                                diagnostics::fixed::kOptionsInExplorerWindow);
    std::wstring address;

    outlook::Ref<outlook::Recipient> user;
    try {
        user = outlook::Required(application->Session(), L"Application.Session")->CurrentUser();
    } catch (const outlook::ComError& error) {
        diagnostics::LogComError(error.Code(), diagnostics::fixed::kCurrentUserUnread);
    }

    if (user != nullptr) {
        try {
            address = user->Address();
            if (!mailstore::IsEmailAddress(address)) {
                if (outlookMajorVersion < 12) {
                    address = settings::SettingsStore::Instance().MappedAddress(address);
                } else {
                    const auto entry = outlook::Required(user->AddressEntry(), L"Recipient.AddressEntry");
                    address = outlook::Required(entry->GetExchangeUser(), L"AddressEntry.GetExchangeUser")
                                  ->PrimarySmtpAddress();
                }
            }
        } catch (const outlook::ComError& error) {
            diagnostics::LogComError(error.Code(), diagnostics::fixed::kExchangeUserUnread);
        }
    }

    options::COptionsDlg().Open(application, address, owner);
}

}  // namespace sealwing
