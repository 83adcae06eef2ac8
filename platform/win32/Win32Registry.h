#pragma once

#include <string>

#include "platform/Registry.h"

namespace sealwing::platform {

// The registry port on HKEY_CURRENT_USER. Every key path is taken below a root key (default: the hive itself), so
// tests can work in a throw-away subtree. Deleting a tree uses RegDeleteTreeW where the system has it (Vista on) and
// its own recursion on XP.
class Win32Registry final : public Registry {
public:
    explicit Win32Registry(std::wstring rootKeyPath = {});

    bool CreateKey(const std::wstring& keyPath) override;
    bool KeyExists(const std::wstring& keyPath) override;
    // The root itself cannot be deleted through its own port.
    bool DeleteKey(const std::wstring& keyPath) override;
    std::vector<std::wstring> SubkeyNames(const std::wstring& keyPath) override;
    std::vector<std::wstring> ValueNames(const std::wstring& keyPath) override;

    std::optional<std::uint32_t> ReadDword(const std::wstring& keyPath, const std::wstring& name) override;
    // REG_SZ only; the terminating NULs, stored or not, are not part of the text.
    std::optional<std::wstring> ReadString(const std::wstring& keyPath, const std::wstring& name) override;

    bool WriteDword(const std::wstring& keyPath, const std::wstring& name, std::uint32_t value) override;
    bool WriteString(const std::wstring& keyPath, const std::wstring& name, const std::wstring& value) override;
    bool DeleteValue(const std::wstring& keyPath, const std::wstring& name) override;

private:
    std::wstring FullPath(const std::wstring& keyPath) const;

    std::wstring root_;
};

}  // namespace sealwing::platform
