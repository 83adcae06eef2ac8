#include "options/OptionsDialog.h"

#include <iterator>

#include "diagnostics/Log.h"
#include "dialogs/ImapWarningDialog.h"
#include "dialogs/ServiceWebSite.h"
#include "dialogs/WebLink.h"
#include "mailstore/OutlookAccounts.h"
#include "options/OptionsDialogTemplate.h"
#include "outlook/ComError.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"
#include "service/ServiceOperations.h"
#include "settings/SettingsStore.h"

namespace sealwing::options {
namespace {

constexpr const wchar_t* kNoAccountsText =
    L"No Outlook accounts are configured\nYou need at least one Outlook account to use Parcelon for Microsoft Outlook";
constexpr const wchar_t* kNoAccountsCaption = L"Parcelon for Microsoft Outlook";
// What an account that Outlook lists without a type of the service's own is shown as.
constexpr const wchar_t* kUntypedAccount = L"NA";

// The controls that only an account known to the service may use; Save settings is among them.
constexpr int kStandingControls[] = {kAlertId,    kCopyMeId,       kPlaceInSentId,
                                     kDestructId, kSaveSettingsId, kDestructLabelId};

std::wstring FeaturesAddress() { return L"https://" + std::wstring(dialogs::kServiceWebHost) + L"/about/features"; }

std::int32_t Toggled(std::int32_t value) { return value != 0 ? 0 : 1; }

}  // namespace

std::vector<std::wstring> DestructChoiceTexts() {
    std::vector<std::wstring> texts;
    for (const std::int32_t days : settings::kDestructChoices) {
        if (days == 0) {
            texts.emplace_back(L"never");
        } else if (days == 1) {
            texts.emplace_back(L"in 1 day");
        } else {
            texts.push_back(L"in " + std::to_wstring(days) + L" days");
        }
    }
    return texts;
}

int DestructPositionOf(std::int32_t days) {
    for (std::size_t position = 0; position < std::size(settings::kDestructChoices); ++position) {
        if (settings::kDestructChoices[position] == days) return static_cast<int>(position);
    }
    return 0;
}

int COptionsDlg::Open(const outlook::Ref<outlook::Application>& application, std::wstring_view preselectedEmail,
                      platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    application_ = application;
    preselected_ = preselectedEmail;
    accounts_.clear();
    current_ = nullptr;
    return platform::TheUserInterface().RunDialog(*this, owner);
}

const platform::DialogTemplate& COptionsDlg::Template() const { return kOptionsDialogTemplate; }

void COptionsDlg::OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>&) {
    diagnostics::LogScope scope(L"Initializing options window");
    view.SetEnabled(kSaveSettingsId, false);
    accounts_ = ListedAccounts();
    if (accounts_.empty() && !preselected_.empty()) accounts_.push_back({preselected_, kUntypedAccount, false});
    if (accounts_.empty()) {
        platform::TheUserInterface().ShowMessageBox({.owner = view.Window(),
                                                     .text = kNoAccountsText,
                                                     .caption = kNoAccountsCaption,
                                                     .icon = platform::MessageBoxIcon::Warning,
                                                     .buttons = platform::MessageBoxButtons::Ok});
        diagnostics::LogWrite(L"No Outlook accounts configured\n");
        view.End(platform::kDialogCancel);
        return;
    }

    std::vector<std::wstring> emails;
    int chosen = -1;
    for (const Account& account : accounts_) {
        if (chosen < 0 && !preselected_.empty() && account.email == preselected_) {
            chosen = static_cast<int>(emails.size());
        }
        emails.push_back(account.email);
    }
    view.SetChoices(kAccountChooserId, emails);
    view.Choose(kAccountChooserId, chosen < 0 ? 0 : chosen);
    view.SetChoices(kDestructId, DestructChoiceTexts());
    Refresh(view, true);
}

std::optional<int> COptionsDlg::OnCommand(platform::DialogView& view, int controlId) {
    switch (controlId) {
        case kAlertId:
        case kCopyMeId:
            if (current_ == nullptr) return std::nullopt;
            if (controlId == kAlertId) {
                current_->alert = Toggled(current_->alert);
            } else {
                current_->cc = Toggled(current_->cc);
            }
            current_->dirty = true;
            Refresh(view, false);
            return std::nullopt;
        case kPlaceInSentId:
            TogglePlaceInSent(view);
            return std::nullopt;
        case kDestructId:
            if (current_ == nullptr) return std::nullopt;
            current_->destruct = settings::DestructDaysOfChoice(view.Chosen(kDestructId));
            current_->dirty = true;
            Refresh(view, false);
            return std::nullopt;
        case kAccountChooserId:
            Refresh(view, true);
            return std::nullopt;
        case kSaveSettingsId:
            if (current_ != nullptr) settings::SettingsStore::Instance().WriteSettings(*current_);
            Refresh(view, false);
            return kOptionsSaved;
        case platform::kDialogOk:
            return platform::kDialogOk;
        default:
            return std::nullopt;
    }
}

void COptionsDlg::OnLink(platform::DialogView&, int controlId, std::wstring_view address) {
    if (controlId == kStandingId) dialogs::OpenWebLink(address);
}

std::vector<COptionsDlg::Account> COptionsDlg::ListedAccounts() const {
    std::vector<Account> listed;
    if (!application_) return listed;
    std::vector<mailstore::OutlookAccount> accounts;
    try {
        accounts = mailstore::ListAccounts(application_, false);
    } catch (const outlook::ComError& error) {
        // Listed as none: the preselected address, if any, can still be set.
        diagnostics::LogComException(error);
        return listed;
    }
    settings::SettingsStore& settings = settings::SettingsStore::Instance();
    for (mailstore::OutlookAccount& account : accounts) {
        // An Exchange account's distinguished name is known to the service by the address the user mapped it to.
        std::wstring email = mailstore::IsEmailAddress(account.smtpAddress)
                                 ? std::move(account.smtpAddress)
                                 : settings.MappedAddress(account.smtpAddress);
        listed.push_back({std::move(email), std::move(account.typeText), account.isExchange});
    }
    return listed;
}

const COptionsDlg::Account* COptionsDlg::ChosenAccount(const platform::DialogView& view) const {
    const int chosen = view.Chosen(kAccountChooserId);
    if (chosen < 0 || chosen >= static_cast<int>(accounts_.size())) return nullptr;
    return &accounts_[static_cast<std::size_t>(chosen)];
}

void COptionsDlg::Refresh(platform::DialogView& view, bool withStandingCheck) {
    const Account* account = ChosenAccount(view);
    if (account == nullptr) return;
    current_ = &settings::SettingsStore::Instance().SettingsFor(account->email);
    view.SetChecked(kAlertId, current_->alert != 0);
    view.SetChecked(kCopyMeId, current_->cc != 0);
    view.SetChecked(kPlaceInSentId, current_->place != 0);
    view.Choose(kDestructId, DestructPositionOf(current_->destruct));
    view.SetEnabled(kSaveSettingsId, current_->dirty);
    if (withStandingCheck) ShowStanding(view, *account);
}

void COptionsDlg::ShowStanding(platform::DialogView& view, const Account& account) {
    view.SetText(kPlaceInSentId, account.exchange ? kPlaceInSentExchangeText : kPlaceInSentText);
    service::AccountStatus status;
    const bool checked = service::CheckAccount(account.email, status) == service::ServiceResult::Success;
    if (!checked || !status.registered) {
        // A service that cannot be asked allows as little as one that does not know the account.
        view.SetText(kStandingId,
                     platform::FillIn(kUnregisteredText, {dialogs::AccountCreationAddress(account.email)}));
        for (const int id : kStandingControls) view.SetEnabled(id, false);
        return;
    }
    view.SetText(kStandingId,
                 status.pro ? std::wstring(kProAccountText) : platform::FillIn(kFreeAccountText, {FeaturesAddress()}));
    view.SetEnabled(kAlertId, status.pro);
    view.SetEnabled(kCopyMeId, true);
    view.SetEnabled(kPlaceInSentId, true);
    view.SetEnabled(kDestructId, status.pro);
    view.SetEnabled(kDestructLabelId, status.pro);
    view.SetEnabled(kSaveSettingsId, current_ != nullptr && current_->dirty);
}

void COptionsDlg::TogglePlaceInSent(platform::DialogView& view) {
    const Account* account = ChosenAccount(view);
    if (current_ == nullptr || account == nullptr) return;
    current_->place = Toggled(current_->place);
    current_->dirty = true;
    Refresh(view, false);
    const bool imap = account->typeText.starts_with(L'I');
    if (!view.IsChecked(kPlaceInSentId) || current_->imapWarning != 1 || !imap) return;
    // Over the active window: this dialog, whose box the user has just ticked.
    if (dialogs::CIMAPWarningDlg().Show(view.Window())) current_->imapWarning = 0;
}

}  // namespace sealwing::options
