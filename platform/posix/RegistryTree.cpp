#include "platform/posix/RegistryTree.h"

#include <algorithm>

#include "platform/Text.h"

namespace sealwing::platform {
namespace {

template <class Item>
auto FindNamed(std::vector<Item>& items, std::wstring_view name) {
    return std::find_if(items.begin(), items.end(),
                        [name](const Item& item) { return EqualsIgnoreCase(item.name, name); });
}

template <class Item>
auto FindNamed(const std::vector<Item>& items, std::wstring_view name) {
    return std::find_if(items.begin(), items.end(),
                        [name](const Item& item) { return EqualsIgnoreCase(item.name, name); });
}

}  // namespace

RegistryKey* RegistryKey::FindSubkey(std::wstring_view subkeyName) {
    const auto found = FindNamed(subkeys, subkeyName);
    return found == subkeys.end() ? nullptr : &*found;
}

const RegistryKey* RegistryKey::FindSubkey(std::wstring_view subkeyName) const {
    const auto found = FindNamed(subkeys, subkeyName);
    return found == subkeys.end() ? nullptr : &*found;
}

RegistryKey& RegistryKey::EnsureSubkey(std::wstring_view subkeyName) {
    if (RegistryKey* existing = FindSubkey(subkeyName)) return *existing;
    const std::wstring upper = ToUpper(subkeyName);
    const auto position = std::find_if(subkeys.begin(), subkeys.end(),
                                       [&upper](const RegistryKey& key) { return upper < ToUpper(key.name); });
    return *subkeys.insert(position, RegistryKey{std::wstring(subkeyName), {}, {}});
}

bool RegistryKey::RemoveSubkey(std::wstring_view subkeyName) {
    const auto found = FindNamed(subkeys, subkeyName);
    if (found == subkeys.end()) return false;
    subkeys.erase(found);
    return true;
}

const RegistryValue* RegistryKey::FindValue(std::wstring_view valueName) const {
    const auto found = FindNamed(values, valueName);
    return found == values.end() ? nullptr : &*found;
}

void RegistryKey::SetValue(std::wstring_view valueName, std::variant<std::uint32_t, std::wstring> data) {
    const auto found = FindNamed(values, valueName);
    if (found != values.end()) {
        found->data = std::move(data);
    } else {
        values.push_back(RegistryValue{std::wstring(valueName), std::move(data)});
    }
}

bool RegistryKey::RemoveValue(std::wstring_view valueName) {
    const auto found = FindNamed(values, valueName);
    if (found == values.end()) return false;
    values.erase(found);
    return true;
}

bool IsKeyNameCharacter(wchar_t c) {
    const auto code = static_cast<std::uint32_t>(c);
    return code >= 0x20 && code != 0x7F && code != L'\\' && !(code >= 0xD800 && code <= 0xDFFF) && code <= 0x10FFFF;
}

std::optional<std::vector<std::wstring>> SplitKeyPath(std::wstring_view path) {
    std::vector<std::wstring> levels;
    if (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
    if (path.empty()) return levels;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(path.find(L'\\', start), path.size());
        const std::wstring_view level = path.substr(start, end - start);
        if (level.empty() || !std::all_of(level.begin(), level.end(), IsKeyNameCharacter)) return std::nullopt;
        if (levels.size() == kMaxKeyDepth) return std::nullopt;
        levels.emplace_back(level);
        if (end == path.size()) return levels;
        start = end + 1;
    }
}

RegistryKey* FindKey(RegistryKey& root, const std::vector<std::wstring>& levels) {
    RegistryKey* key = &root;
    for (const auto& level : levels) {
        key = key->FindSubkey(level);
        if (key == nullptr) return nullptr;
    }
    return key;
}

const RegistryKey* FindKey(const RegistryKey& root, const std::vector<std::wstring>& levels) {
    const RegistryKey* key = &root;
    for (const auto& level : levels) {
        key = key->FindSubkey(level);
        if (key == nullptr) return nullptr;
    }
    return key;
}

RegistryKey& EnsureKey(RegistryKey& root, const std::vector<std::wstring>& levels) {
    RegistryKey* key = &root;
    for (const auto& level : levels) key = &key->EnsureSubkey(level);
    return *key;
}

}  // namespace sealwing::platform
