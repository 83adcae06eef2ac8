#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "outlook/ObjectModel.h"
#include "platform/Dialog.h"
#include "settings/AccountSettings.h"

namespace sealwing::options {

// The results Open ends with besides Close's (platform::kDialogCancel) and the default button's (kDialogOk).
inline constexpr int kOptionsSaved = 206;

// The expiry choices the self-destruct list shows, by position: "never", "in 1 day", "in 3 days", ...
std::vector<std::wstring> DestructChoiceTexts();
// The position of the choice whose days are `days`; 0 ("never") for days no choice has.
int DestructPositionOf(std::int32_t days);

// The options of each Outlook account for the secure messages it sends: read alert, a copy to the sender, a copy in
// the Sent folder and the self-destruct time. It edits the settings store's cached record of the chosen account in
// place: a change applies to every message sent in this run at once, and reaches the registry only through "Save
// settings". What the account may use depends on its standing with the service, asked at opening and each time
// another account is chosen. UI thread only.
class COptionsDlg final : public platform::Dialog {
public:
    // Modal over `owner`. Lists the profile's accounts, Exchange ones under their mapped addresses, and chooses
    // `preselectedEmail` when it is listed, else the first; a profile without accounts shows `preselectedEmail` alone,
    // and without that either the user is told and the dialog ends at once with kDialogCancel. Returns kOptionsSaved
    // after "Save settings", kDialogCancel after Close, kDialogOk for the default button, and
    // platform::kDialogFailed when the dialog could not be shown.
    int Open(const outlook::Ref<outlook::Application>& application, std::wstring_view preselectedEmail,
             platform::WindowHandle owner);

    const platform::DialogTemplate& Template() const override;
    void OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>& mailbox) override;
    std::optional<int> OnCommand(platform::DialogView& view, int controlId) override;
    void OnLink(platform::DialogView& view, int controlId, std::wstring_view address) override;

private:
    struct Account {
        std::wstring email;
        std::wstring typeText;  // "IMAP", "NA", or the account-management service's type
        bool exchange = false;
    };

    std::vector<Account> ListedAccounts() const;
    const Account* ChosenAccount(const platform::DialogView& view) const;
    // Shows the chosen account's record; with the standing check, also what the service allows it.
    void Refresh(platform::DialogView& view, bool withStandingCheck);
    void ShowStanding(platform::DialogView& view, const Account& account);
    void TogglePlaceInSent(platform::DialogView& view);

    outlook::Ref<outlook::Application> application_;
    std::wstring preselected_;
    std::vector<Account> accounts_;
    settings::AccountSettings* current_ = nullptr;  // the settings store's, valid for the run
};

}  // namespace sealwing::options
