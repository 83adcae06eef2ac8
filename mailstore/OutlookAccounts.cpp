#include "mailstore/OutlookAccounts.h"

#include "platform/Platform.h"

namespace sealwing::mailstore {

bool IsEmailAddress(std::wstring_view text) {
    return text.find(L'@') != std::wstring_view::npos && text.find_first_of(L"/\\") == std::wstring_view::npos;
}

std::vector<OutlookAccount> ListObjectModelAccounts(const outlook::Ref<outlook::Application>& application,
                                                    int outlookMajorVersion) {
    platform::AssertUiThread(__func__);
    std::vector<OutlookAccount> list;
    const outlook::Ref<outlook::Accounts> accounts = application->Session()->Accounts();
    const int count = accounts->Count();
    for (int index = 1; index <= count; ++index) {
        const outlook::Ref<outlook::Account> account = accounts->Item(index);
        OutlookAccount entry;
        entry.displayName = account->DisplayName();
        entry.smtpAddress = account->SmtpAddress();
        if (entry.smtpAddress.empty() && outlookMajorVersion >= 13) {
            const std::wstring address = account->CurrentUser()->Address();
            if (IsEmailAddress(address)) entry.smtpAddress = address;
        }
        const outlook::AccountType type = account->AccountType();
        entry.isExchange = type == outlook::olExchange;
        entry.typeText = type == outlook::olImap ? L"IMAP" : L"NA";
        // "Google Apps - ann@example.com": the address follows the prefix.
        if (entry.smtpAddress.empty() && entry.displayName.find(kGoogleAppsPrefix) != std::wstring::npos) {
            entry.smtpAddress = entry.displayName.substr(kGoogleAppsPrefix.size());
        }
        if (entry.smtpAddress.empty()) continue;
        entry.isGoogleApps = entry.displayName.find(L"Google Apps") != std::wstring::npos;
        list.push_back(std::move(entry));
    }
    return list;
}

}  // namespace sealwing::mailstore
