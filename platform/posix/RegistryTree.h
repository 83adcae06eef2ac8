#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sealwing::platform {

struct RegistryValue {
    std::wstring name;
    std::variant<std::uint32_t, std::wstring> data;
};

// One key of an in-memory hive. Names compare without regard to case and keep the case they were created with.
// Subkeys are kept in the order of their upper-case names, as the registry enumerates them; values in the order
// they were first written.
struct RegistryKey {
    std::wstring name;
    std::vector<RegistryKey> subkeys;
    std::vector<RegistryValue> values;

    RegistryKey* FindSubkey(std::wstring_view subkeyName);
    const RegistryKey* FindSubkey(std::wstring_view subkeyName) const;
    // The existing subkey of that name, or a new one.
    RegistryKey& EnsureSubkey(std::wstring_view subkeyName);
    bool RemoveSubkey(std::wstring_view subkeyName);

    const RegistryValue* FindValue(std::wstring_view valueName) const;
    // Replaces the data (and type) of an existing value, keeping its name's case, or adds the value.
    void SetValue(std::wstring_view valueName, std::variant<std::uint32_t, std::wstring> data);
    bool RemoveValue(std::wstring_view valueName);
};

// Whether a registry key name may hold the character: printable characters other than the backslash.
bool IsKeyNameCharacter(wchar_t c);

// The registry's limit of nesting. Keys are held, copied, written and freed by nesting calls, so the limit also keeps
// a damaged settings file from exhausting the stack.
inline constexpr std::size_t kMaxKeyDepth = 512;

// The levels of a key path ("Software\Parcelon"); none for the empty path, which names the hive's root.
// Nothing when the path starts with "\", has an empty level, a level holding a character a key name cannot hold, or
// more than kMaxKeyDepth levels; one trailing "\" is allowed, as the registry allows it.
std::optional<std::vector<std::wstring>> SplitKeyPath(std::wstring_view path);

RegistryKey* FindKey(RegistryKey& root, const std::vector<std::wstring>& levels);
const RegistryKey* FindKey(const RegistryKey& root, const std::vector<std::wstring>& levels);
// Creates every missing level.
RegistryKey& EnsureKey(RegistryKey& root, const std::vector<std::wstring>& levels);

}  // namespace sealwing::platform
