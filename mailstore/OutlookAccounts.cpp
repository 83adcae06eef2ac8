#include "mailstore/OutlookAccounts.h"

#include <algorithm>
#include <utility>

#include "diagnostics/Log.h"
#include "mailstore/AccountManager.h"
#include "mailstore/MapEmailDialog.h"
#include "mailstore/OutlookActions.h"
#include "outlook/OutlookVersion.h"
#include "platform/Platform.h"
#include "platform/UserInterface.h"
#include "service/ServiceOperations.h"
#include "settings/SettingsStore.h"

namespace sealwing::mailstore {

namespace {

bool IsGoogleAppsName(std::wstring_view displayName) {
    return displayName.find(L"Google Apps") != std::wstring_view::npos;
}

outlook::Ref<outlook::Accounts> SessionAccounts(outlook::Application& application) {
    return outlook::Required(outlook::Required(application.Session(), L"Application.Session")->Accounts(),
                             L"NameSpace.Accounts");
}

}  // namespace

bool IsEmailAddress(std::wstring_view text) {
    return text.find(L'@') != std::wstring_view::npos && text.find_first_of(L"/\\") == std::wstring_view::npos;
}

std::vector<OutlookAccount> ListObjectModelAccounts(const outlook::Ref<outlook::Application>& application,
                                                    int outlookMajorVersion) {
    platform::AssertUiThread(__func__);
    std::vector<OutlookAccount> list;
    const outlook::Ref<outlook::Accounts> accounts = SessionAccounts(*application);
    const int count = accounts->Count();
    for (int index = 1; index <= count; ++index) {
        const outlook::Ref<outlook::Account> account = accounts->Item(index);
        OutlookAccount entry;
        entry.displayName = account->DisplayName();
        entry.smtpAddress = account->SmtpAddress();
        if (entry.smtpAddress.empty() && outlookMajorVersion >= 13) {
            if (const outlook::Ref<outlook::Recipient> user = account->CurrentUser()) {
                const std::wstring address = user->Address();
                if (IsEmailAddress(address)) entry.smtpAddress = address;
            } else {
                diagnostics::LogWrite(L"WARNING! Account " + entry.displayName + L" has no current user\n");
            }
        }
        const outlook::AccountType type = account->AccountType();
        entry.isExchange = type == outlook::olExchange;
        entry.typeText = type == outlook::olImap ? L"IMAP" : L"NA";
        // "Google Apps - ann@example.com": the address follows the prefix.
        if (entry.smtpAddress.empty() && entry.displayName.find(kGoogleAppsPrefix) != std::wstring::npos) {
            entry.smtpAddress = entry.displayName.substr(kGoogleAppsPrefix.size());
        }
        if (entry.smtpAddress.empty()) continue;
        entry.isGoogleApps = IsGoogleAppsName(entry.displayName);
        list.push_back(std::move(entry));
    }
    return list;
}

namespace {

// A mapped address for an Exchange address, when the user's mapping has one.
void ApplyMapping(std::vector<OutlookAccount>& accounts) {
    for (OutlookAccount& account : accounts) {
        if (IsEmailAddress(account.smtpAddress)) continue;
        std::wstring mapped = settings::SettingsStore::Instance().MappedAddress(account.smtpAddress);
        if (!mapped.empty()) account.smtpAddress = std::move(mapped);
    }
}

// The default mail account among `accounts`. The service's order names it by id, which only its own list carries;
// entries from the object model are matched to the service's entry of that id by display name.
const OutlookAccount* DefaultMailAccount(const outlook::Ref<outlook::Application>& application,
                                         const std::vector<OutlookAccount>& accounts, bool fromObjectModel) {
    const std::int32_t id = GetDefaultMailAccountId(GetMapiProfileName(application), application);
    if (id < 0) return nullptr;
    std::optional<std::wstring> defaultName;
    if (fromObjectModel) {
        const auto legacy = ListAccountManagerAccounts(application);
        if (!legacy) return nullptr;
        for (const OutlookAccount& entry : *legacy) {
            if (entry.id == id) {
                defaultName = entry.displayName;
                break;
            }
        }
        if (!defaultName) return nullptr;
    }
    for (const OutlookAccount& account : accounts) {
        if (fromObjectModel ? account.displayName == *defaultName : account.id == id) return &account;
    }
    return nullptr;
}

}  // namespace

std::optional<std::vector<OutlookAccount>> ListAccountManagerAccounts(
    const outlook::Ref<outlook::Application>& application) {
    platform::AssertUiThread(__func__);
    const auto records = ReadAccountManagerAccounts(GetMapiProfileName(application), application);
    if (!records) return std::nullopt;
    std::vector<OutlookAccount> list;
    list.reserve(records->size());
    for (const AccountManagerRecord& record : *records) {
        OutlookAccount entry;
        entry.id = record.id;
        entry.displayName = record.name;
        entry.isExchange = record.isExchange == 1;
        entry.smtpAddress = entry.isExchange ? record.exchangeAddress : record.emailAddress;
        entry.typeText = record.typeText;
        entry.isGoogleApps = IsGoogleAppsName(entry.displayName);
        list.push_back(std::move(entry));
    }
    return list;
}

outlook::Ref<outlook::Account> LastAccountNamed(const outlook::Ref<outlook::Application>& application,
                                                const std::wstring& displayName) {
    const outlook::Ref<outlook::Accounts> accounts = SessionAccounts(*application);
    outlook::Ref<outlook::Account> found;
    const int count = accounts->Count();
    for (int index = 1; index <= count; ++index) {
        outlook::Ref<outlook::Account> account = accounts->Item(index);
        if (account->DisplayName() == displayName) found = std::move(account);
    }
    return found;
}

std::vector<OutlookAccount> ListAccounts(const outlook::Ref<outlook::Application>& application, bool forceLegacy) {
    platform::AssertUiThread(__func__);
    const int version = outlook::MajorVersionOf(*application);
    if (version >= 12 && !forceLegacy) return ListObjectModelAccounts(application, version);
    if (auto list = ListAccountManagerAccounts(application)) return std::move(*list);
    platform::TheUserInterface().ShowMessageBox({.text = L"Cannot retrieve list of users",
                                                 .caption = L"Parcelon Addin for Outlook",
                                                 .buttons = platform::MessageBoxButtons::Ok});
    return {};
}

std::wstring ChooseDefaultSenderAddress(const outlook::Ref<outlook::Application>& application) {
    platform::AssertUiThread(__func__);
    std::vector<OutlookAccount> accounts = ListAccounts(application, false);
    ApplyMapping(accounts);
    if (accounts.size() == 1) return accounts.front().smtpAddress;

    std::wstring candidate;
    for (const OutlookAccount& account : accounts) {
        service::AccountStatus status;
        if (service::CheckAccount(account.smtpAddress, status) != service::ServiceResult::Success) continue;
        if (!status.registered) continue;
        candidate = candidate.empty() ? account.smtpAddress : std::wstring(kSeveralAccounts);
    }
    if (candidate != kSeveralAccounts) return candidate;
    const bool fromObjectModel = outlook::MajorVersionOf(*application) >= 12;
    if (const OutlookAccount* preferred = DefaultMailAccount(application, accounts, fromObjectModel)) {
        return preferred->smtpAddress;
    }
    return candidate;
}

void MapExchangeAccounts(const outlook::Ref<outlook::Application>& application, platform::WindowHandle owner,
                         bool& googleAppsAccount) {
    platform::AssertUiThread(__func__);
    const std::vector<OutlookAccount> accounts = ListAccounts(application, true);
    // Known before the steps below, any of which may end the mapping with an automation error.
    googleAppsAccount =
        std::any_of(accounts.begin(), accounts.end(), [](const OutlookAccount& entry) { return entry.isGoogleApps; });
    const int version = outlook::MajorVersionOf(*application);
    settings::SettingsStore& settings = settings::SettingsStore::Instance();
    for (const OutlookAccount& entry : accounts) {
        if (!entry.isExchange || IsEmailAddress(entry.smtpAddress)) continue;
        std::wstring email = settings.MappedAddress(entry.smtpAddress);
        if (version > 11) {
            if (const outlook::Ref<outlook::Account> account = LastAccountNamed(application, entry.displayName)) {
                std::optional<std::wstring> address;
                try {
                    address = account->SmtpAddress();
                } catch (const outlook::ComError& error) {
                    diagnostics::LogComException(error);
                }
                if (address) {
                    email = std::move(*address);
                    settings.SetMappedAddress(entry.smtpAddress, email);
                }
            }
        }
        if (email.empty() && version < 12) {
            CMapEmailDlg dialog(entry.displayName);
            if (dialog.Show(owner) == platform::kDialogOk) settings.SetMappedAddress(entry.smtpAddress, dialog.Email());
        }
    }
}

std::vector<diagnostics::AccountFact> AccountFactsOf(const std::vector<OutlookAccount>& accounts) {
    std::vector<diagnostics::AccountFact> facts;
    facts.reserve(accounts.size());
    for (const OutlookAccount& account : accounts) {
        facts.push_back({account.smtpAddress, account.isExchange, account.typeText, account.displayName});
    }
    return facts;
}

}  // namespace sealwing::mailstore
