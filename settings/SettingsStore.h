#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/AccountSettings.h"

// The add-in's run-time settings in the current user's hive: each account's sending options, the flag that silences
// the warnings about unregistered accounts, and the Exchange address mapping. Each group is read once and cached for
// the run; values another process changes meanwhile are not seen. UI thread only, so the caches have no lock.
namespace sealwing::settings {

inline constexpr const wchar_t* kProductKey = L"Software\\Parcelon\\Outlook addin";
inline constexpr const wchar_t* kMappingKey = L"Software\\Parcelon\\Outlook addin\\AccountMapping";

// The Destruct values behind the options dialog's expiry choices, by position.
inline constexpr std::int32_t kDestructChoices[] = {0, 1, 3, 5, 7, 14, 30, 60, 90, 180, 365};
// The days of a choice's position; any other position gives 0 (never).
std::int32_t DestructDaysOfChoice(int position);

// The mapping's value name for an Exchange address: upper-cased, from its first "/" (the whole text without one).
std::wstring MappingName(std::wstring_view exchangeAddress);

class SettingsStore {
public:
    static SettingsStore& Instance();

    // Whether the service vouches for the account as a pro account now; false when it cannot tell. The service
    // client supplies it (service::IsProAccount), so that reading the settings makes no network call of its own.
    using StandingCheck = std::function<bool(std::wstring_view email)>;
    void SetStandingCheck(StandingCheck check);

    // The account's record, read from the registry on first use (asking the standing check for the expiry default
    // when none is stored; without a check, the default of an account nobody vouches for). Callers change it in
    // place, mark it dirty and write it; it stays valid for the run.
    AccountSettings& SettingsFor(std::wstring_view email);
    // Writes the record's five values when it is dirty, creating the account's key when needed.
    void WriteSettings(AccountSettings& record);

    bool SuppressUnregisteredWarnings();
    // Sets the flag for good ("Do not show this warning again").
    void SetSuppressUnregisteredWarnings();

    // The e-mail address mapped to an Exchange address; empty when none.
    std::wstring MappedAddress(std::wstring_view exchangeAddress);
    void SetMappedAddress(std::wstring_view exchangeAddress, std::wstring_view email);
    // The mappings read or written in this run.
    std::size_t CachedMappingCount() const { return mappings_.size(); }
    // Forgets every mapping, stored and cached, so that each Exchange account is mapped anew.
    void ForgetMappings();

    // Tests: forgets every cache, as a new run would.
    void ResetForTests();

private:
    // Records never move once cached: callers keep references.
    std::deque<std::pair<std::wstring, AccountSettings>> accounts_;
    std::vector<std::pair<std::wstring, std::wstring>> mappings_;
    std::optional<bool> suppressWarnings_;
    StandingCheck standingCheck_;
};

}  // namespace sealwing::settings
