#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "outlook/ObjectModel.h"

// The user's accounts as Outlook's account-management service reports them. UI thread only.
namespace sealwing::mailstore {

// One mail account's properties; a property the service could not give leaves its field empty or 0.
struct AccountManagerRecord {
    std::int32_t id = 0;               // 0x00010003
    std::wstring name{};               // 0x0002001F
    std::uint32_t isExchange = 0;      // 0x00140003: 1 for an Exchange account
    std::wstring exchangeAddress{};    // 0x000D001F: an Exchange account's address
    std::wstring emailAddress{};       // 0x000C001F: the user's e-mail address
    std::wstring typeText{};           // 0x0004001F, or "GSYNC"
    std::wstring provider{};           // 0x0008001F
    std::wstring providerAddresses{};  // 0x0007001F, read for "GSync" accounts only
};

// The provider of Google Apps Sync accounts, whose e-mail address is the first of the provider's addresses.
inline constexpr const wchar_t* kGoogleAppsSyncProvider = L"GSync";

// Every mail account of the profile in the service's order; nothing when the service could not be reached (the
// failure is logged). An account that cannot be fetched keeps an empty record.
std::optional<std::vector<AccountManagerRecord>> ReadAccountManagerAccounts(
    const std::wstring& profileName, const outlook::Ref<outlook::Application>& application);

// The id of the account first in the mail accounts' order (the user's default), or -1.
std::int32_t GetDefaultMailAccountId(const std::wstring& profileName,
                                     const outlook::Ref<outlook::Application>& application);

}  // namespace sealwing::mailstore
