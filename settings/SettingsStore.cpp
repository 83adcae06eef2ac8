#include "settings/SettingsStore.h"

#include "diagnostics/FixedTexts.h"
#include "diagnostics/Log.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/Text.h"

namespace sealwing::settings {
namespace {

constexpr std::int32_t kDestructForFree = 7;
constexpr std::int32_t kDestructForPro = 0;

// The account's values under its key, in the order they are written: each name is spelled here alone, for reading
// and for writing.
struct AccountValue {
    const wchar_t* name;
    std::int32_t AccountSettings::*field;
    std::int32_t absent;  // what a missing value reads as
};
constexpr AccountValue kAccountValues[] = {
    {L"Alert", &AccountSettings::alert, 0},
    {L"CC", &AccountSettings::cc, 0},
    {L"Place", &AccountSettings::place, 0},
    {L"Destruct", &AccountSettings::destruct, AccountSettings::kDestructNotChosen},
    {L"IMAPWarning", &AccountSettings::imapWarning, 1},
};

std::int32_t ReadValue(const std::wstring& key, const wchar_t* name, std::int32_t fallback) {
    const std::optional<std::uint32_t> value = platform::TheRegistry().ReadDword(key, name);
    return value ? static_cast<std::int32_t>(*value) : fallback;
}

// Opens the key for writing, creating it when it is missing; a failure is logged and the write skipped.
bool EnsureKey(const std::wstring& key) {
    platform::Registry& registry = platform::TheRegistry();
    if (registry.KeyExists(key) || registry.CreateKey(key)) return true;
    diagnostics::LogWrite(L"Cannot create registry key " + key + L"\n");
    return false;
}

void Write(const std::wstring& key, const wchar_t* name, std::int32_t value) {
    if (!platform::TheRegistry().WriteDword(key, name, static_cast<std::uint32_t>(value))) {
        diagnostics::LogWrite(L"Cannot write registry value " + key + L"\\" + name + L"\n");
    }
}

}  // namespace

std::int32_t DestructDaysOfChoice(int position) {
    constexpr int kCount = static_cast<int>(std::size(kDestructChoices));
    return position >= 0 && position < kCount ? kDestructChoices[position] : 0;
}

std::wstring MappingName(std::wstring_view exchangeAddress) {
    const std::size_t slash = exchangeAddress.find(L'/');
    return platform::ToUpper(slash == std::wstring_view::npos ? exchangeAddress : exchangeAddress.substr(slash));
}

SettingsStore& SettingsStore::Instance() {
    static SettingsStore store;
    return store;
}

void SettingsStore::SetStandingCheck(StandingCheck check) { standingCheck_ = std::move(check); }

AccountSettings& SettingsStore::SettingsFor(std::wstring_view email) {
    platform::AssertUiThread(__func__);
    for (auto& [address, record] : accounts_) {
        if (address == email) return record;
    }
    AccountSettings record;
    record.keyPath = std::wstring(kProductKey) + L"\\" + std::wstring(email);
    for (const AccountValue& value : kAccountValues)
        record.*value.field = ReadValue(record.keyPath, value.name, value.absent);
    if (record.destruct == AccountSettings::kDestructNotChosen) {
        // Pro accounts keep messages for ever by default; everyone else, and anyone the service cannot vouch for
        // now, for a week. Stored with the record's next write only.
        const bool pro = standingCheck_ && standingCheck_(email);
        record.destruct = pro ? kDestructForPro : kDestructForFree;
    }
    record.loaded = true;
    record.dirty = false;
    return accounts_.emplace_back(std::wstring(email), std::move(record)).second;
}

void SettingsStore::WriteSettings(AccountSettings& record) {
    platform::AssertUiThread(__func__);
    if (!record.dirty) return;
    if (EnsureKey(record.keyPath)) {
        for (const AccountValue& value : kAccountValues) Write(record.keyPath, value.name, record.*value.field);
    }
    record.dirty = false;
}

bool SettingsStore::SuppressUnregisteredWarnings() {
    if (!suppressWarnings_)
        suppressWarnings_ = ReadValue(kProductKey, diagnostics::fixed::kSuppressUnregisteredWarningsValue, 0) != 0;
    return *suppressWarnings_;
}

// The product key is created when missing: a new user's first "Do not show this warning again" must not be lost
// because no account's settings were written yet.
void SettingsStore::SetSuppressUnregisteredWarnings() {
    platform::AssertUiThread(__func__);
    if (EnsureKey(kProductKey)) Write(kProductKey, diagnostics::fixed::kSuppressUnregisteredWarningsValue, 1);
    suppressWarnings_ = true;
}

std::wstring SettingsStore::MappedAddress(std::wstring_view exchangeAddress) {
    platform::AssertUiThread(__func__);
    const std::wstring name = MappingName(exchangeAddress);
    // An empty name would read the mapping key's default value, which maps no account.
    if (name.empty()) return {};
    for (const auto& [mapped, email] : mappings_) {
        if (mapped == name) return email;
    }
    std::wstring email = platform::TheRegistry().ReadString(kMappingKey, name).value_or(L"");
    if (!email.empty()) mappings_.emplace_back(name, email);
    return email;
}

void SettingsStore::SetMappedAddress(std::wstring_view exchangeAddress, std::wstring_view email) {
    platform::AssertUiThread(__func__);
    const std::wstring name = MappingName(exchangeAddress);
    if (name.empty()) return;  // nothing to map, and no default value to overwrite
    if (EnsureKey(kMappingKey) && !platform::TheRegistry().WriteString(kMappingKey, name, std::wstring(email))) {
        diagnostics::LogWrite(L"Cannot write registry value " + std::wstring(kMappingKey) + L"\\" + name + L"\n");
    }
    for (auto& [mapped, address] : mappings_) {
        if (mapped == name) {
            address = email;
            return;
        }
    }
    mappings_.emplace_back(name, std::wstring(email));
}

void SettingsStore::ForgetMappings() {
    platform::AssertUiThread(__func__);
    // A key that was never written is no failure: there was nothing to forget.
    platform::Registry& registry = platform::TheRegistry();
    if (registry.KeyExists(kMappingKey) && !registry.DeleteKey(kMappingKey)) {
        diagnostics::LogWrite(L"Cannot delete registry key " + std::wstring(kMappingKey) + L"\n");
    }
    mappings_.clear();
}

void SettingsStore::ResetForTests() {
    accounts_.clear();
    mappings_.clear();
    suppressWarnings_.reset();
    standingCheck_ = nullptr;
}

}  // namespace sealwing::settings
