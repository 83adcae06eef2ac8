#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sealwing::platform {

// The current user's registry hive. Key paths use "\" between levels ("Software\Parcelon\Outlook addin");
// key and value names compare without regard to case and keep the case they were created with.
// As in the registry, a value can only be written into a key that exists: callers create keys explicitly.
class Registry {
public:
    virtual ~Registry() = default;

    // Creates the key and every missing level above it; true when it exists afterwards.
    virtual bool CreateKey(const std::wstring& keyPath) = 0;
    virtual bool KeyExists(const std::wstring& keyPath) = 0;
    // Deletes the key with all its subkeys and values; false when it did not exist or could not be deleted.
    virtual bool DeleteKey(const std::wstring& keyPath) = 0;
    virtual std::vector<std::wstring> SubkeyNames(const std::wstring& keyPath) = 0;
    virtual std::vector<std::wstring> ValueNames(const std::wstring& keyPath) = 0;

    // Nothing when the key or value is missing or holds another type.
    virtual std::optional<std::uint32_t> ReadDword(const std::wstring& keyPath, const std::wstring& name) = 0;
    virtual std::optional<std::wstring> ReadString(const std::wstring& keyPath, const std::wstring& name) = 0;

    // False when the key does not exist or the value could not be stored.
    virtual bool WriteDword(const std::wstring& keyPath, const std::wstring& name, std::uint32_t value) = 0;
    virtual bool WriteString(const std::wstring& keyPath, const std::wstring& name, const std::wstring& value) = 0;
    virtual bool DeleteValue(const std::wstring& keyPath, const std::wstring& name) = 0;

    // What went wrong reading the stored hive when it was opened, for the add-in's log: given once, empty afterwards
    // and when nothing went wrong (the Windows registry itself has no such problem to report).
    virtual std::wstring TakeLoadProblem() { return {}; }
};

}  // namespace sealwing::platform
