#pragma once

#include <mutex>
#include <string>
#include <variant>

#include "platform/Registry.h"
#include "platform/posix/RegistryTree.h"

namespace sealwing::platform {

// The current user's hive kept in one file (see RegistryFileFormat.h), read once at construction and replaced as
// one step at every change, so a crash never loses a change that was reported done. Safe to use from any thread.
//
// A file that cannot be read or parsed gives an empty hive, not a partial one: a parse error may come from a cut or
// damaged file, and half of the user's settings mixed with defaults is worse than a clean start. The file's content
// is not lost: the first change renames it to "<file>.corrupt" (or "<file>.corrupt.2", ... when that exists)
// before the new file takes its place, and LoadProblem says so for the caller's log.
class FileRegistry final : public Registry {
public:
    explicit FileRegistry(const std::wstring& path);

    // What went wrong reading the file at construction; empty when it was read or did not exist.
    std::wstring LoadProblem() const;
    std::wstring TakeLoadProblem() override;

    bool CreateKey(const std::wstring& keyPath) override;
    bool KeyExists(const std::wstring& keyPath) override;
    bool DeleteKey(const std::wstring& keyPath) override;
    std::vector<std::wstring> SubkeyNames(const std::wstring& keyPath) override;
    std::vector<std::wstring> ValueNames(const std::wstring& keyPath) override;

    std::optional<std::uint32_t> ReadDword(const std::wstring& keyPath, const std::wstring& name) override;
    std::optional<std::wstring> ReadString(const std::wstring& keyPath, const std::wstring& name) override;

    bool WriteDword(const std::wstring& keyPath, const std::wstring& name, std::uint32_t value) override;
    bool WriteString(const std::wstring& keyPath, const std::wstring& name, const std::wstring& value) override;
    bool DeleteValue(const std::wstring& keyPath, const std::wstring& name) override;

private:
    void Load();
    const RegistryKey* FindLocked(const std::wstring& keyPath) const;
    // Applies the change to a copy of the hive and keeps the copy only once the file holds it. The change returns
    // false when there is nothing to do (a missing key or value), and nothing is written then.
    template <class Change>
    bool Update(Change change);
    bool SetAsideUnreadableFile();
    bool WriteValue(const std::wstring& keyPath, const std::wstring& name,
                    std::variant<std::uint32_t, std::wstring> data);

    mutable std::mutex lock_;
    const std::string path_;
    RegistryKey root_;
    std::wstring loadProblem_;
    bool loadProblemTaken_ = false;
    std::string setAsidePath_;  // where the unreadable file goes before the first change; empty when nothing to do
};

}  // namespace sealwing::platform
