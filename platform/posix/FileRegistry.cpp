#include "platform/posix/FileRegistry.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/Text.h"
#include "platform/posix/PosixIo.h"
#include "platform/posix/RegistryFileFormat.h"

namespace sealwing::platform {
namespace {

bool PathExists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

std::string FreeSetAsidePath(const std::string& path) {
    std::string candidate = path + ".corrupt";
    for (int number = 2; PathExists(candidate); ++number) candidate = path + ".corrupt." + std::to_string(number);
    return candidate;
}

std::wstring ErrorText(int error) {
    return L"error " + std::to_wstring(error) + L" (" + WideFromUtf8(std::strerror(error)) + L")";
}

}  // namespace

FileRegistry::FileRegistry(const std::wstring& path) : path_(Utf8FromWide(path)) { Load(); }

void FileRegistry::Load() {
    std::wstring problem;
    const posix::UniqueFd fd = posix::OpenFd(path_, O_RDONLY | O_CLOEXEC);
    std::string text;
    if (!fd.Valid()) {
        if (errno == ENOENT) return;  // a user who never stored anything
        problem = L"cannot open it: " + ErrorText(errno);
    } else if (const int error = posix::ReadFromStart(fd.Get(), text); error != 0) {
        problem = L"cannot read it: " + ErrorText(error);
    } else {
        RegistryParseResult parsed = ParseRegistry(text);
        if (parsed.ok) {
            root_ = std::move(parsed.root);
            return;
        }
        problem = L"cannot parse it at " + parsed.problem;
    }
    setAsidePath_ = FreeSetAsidePath(path_);
    loadProblem_ = L"Registry file " + WideFromUtf8(path_) + L": " + problem + L"; starting with an empty registry. " +
                   L"The file will be kept as " + WideFromUtf8(setAsidePath_) + L" at the first change.";
}

std::wstring FileRegistry::LoadProblem() const {
    std::lock_guard guard(lock_);
    return loadProblem_;
}

std::wstring FileRegistry::TakeLoadProblem() {
    std::lock_guard guard(lock_);
    return std::exchange(loadProblemTaken_, true) ? std::wstring() : loadProblem_;
}

const RegistryKey* FileRegistry::FindLocked(const std::wstring& keyPath) const {
    const auto levels = SplitKeyPath(keyPath);
    return levels ? FindKey(root_, *levels) : nullptr;
}

bool FileRegistry::SetAsideUnreadableFile() {
    if (setAsidePath_.empty()) return true;
    if (std::rename(path_.c_str(), setAsidePath_.c_str()) != 0 && errno != ENOENT) return false;
    setAsidePath_.clear();
    return true;
}

template <class Change>
bool FileRegistry::Update(Change change) {
    RegistryKey updated = root_;
    if (!change(updated)) return false;
    if (!SetAsideUnreadableFile()) return false;
    if (posix::ReplaceFileAtomically(path_, SerializeRegistry(updated), true) != 0) return false;
    root_ = std::move(updated);
    return true;
}

bool FileRegistry::CreateKey(const std::wstring& keyPath) {
    const auto levels = SplitKeyPath(keyPath);
    if (!levels) return false;
    std::lock_guard guard(lock_);
    if (FindKey(root_, *levels) != nullptr) return true;
    return Update([&levels](RegistryKey& root) {
        EnsureKey(root, *levels);
        return true;
    });
}

bool FileRegistry::KeyExists(const std::wstring& keyPath) {
    std::lock_guard guard(lock_);
    return FindLocked(keyPath) != nullptr;
}

bool FileRegistry::DeleteKey(const std::wstring& keyPath) {
    auto levels = SplitKeyPath(keyPath);
    if (!levels || levels->empty()) return false;  // the hive's root cannot go
    const std::wstring last = levels->back();
    levels->pop_back();
    std::lock_guard guard(lock_);
    return Update([&levels, &last](RegistryKey& root) {
        RegistryKey* parent = FindKey(root, *levels);
        return parent != nullptr && parent->RemoveSubkey(last);
    });
}

std::vector<std::wstring> FileRegistry::SubkeyNames(const std::wstring& keyPath) {
    std::lock_guard guard(lock_);
    std::vector<std::wstring> names;
    if (const RegistryKey* key = FindLocked(keyPath)) {
        for (const auto& subkey : key->subkeys) names.push_back(subkey.name);
    }
    return names;
}

std::vector<std::wstring> FileRegistry::ValueNames(const std::wstring& keyPath) {
    std::lock_guard guard(lock_);
    std::vector<std::wstring> names;
    if (const RegistryKey* key = FindLocked(keyPath)) {
        for (const auto& value : key->values) names.push_back(value.name);
    }
    return names;
}

std::optional<std::uint32_t> FileRegistry::ReadDword(const std::wstring& keyPath, const std::wstring& name) {
    std::lock_guard guard(lock_);
    const RegistryKey* key = FindLocked(keyPath);
    const RegistryValue* value = key != nullptr ? key->FindValue(name) : nullptr;
    if (value == nullptr) return std::nullopt;
    if (const auto* number = std::get_if<std::uint32_t>(&value->data)) return *number;
    return std::nullopt;
}

std::optional<std::wstring> FileRegistry::ReadString(const std::wstring& keyPath, const std::wstring& name) {
    std::lock_guard guard(lock_);
    const RegistryKey* key = FindLocked(keyPath);
    const RegistryValue* value = key != nullptr ? key->FindValue(name) : nullptr;
    if (value == nullptr) return std::nullopt;
    if (const auto* text = std::get_if<std::wstring>(&value->data)) return *text;
    return std::nullopt;
}

bool FileRegistry::WriteDword(const std::wstring& keyPath, const std::wstring& name, std::uint32_t value) {
    return WriteValue(keyPath, name, value);
}

bool FileRegistry::WriteString(const std::wstring& keyPath, const std::wstring& name, const std::wstring& value) {
    return WriteValue(keyPath, name, value);
}

bool FileRegistry::WriteValue(const std::wstring& keyPath, const std::wstring& name,
                              std::variant<std::uint32_t, std::wstring> data) {
    const auto levels = SplitKeyPath(keyPath);
    if (!levels) return false;
    std::lock_guard guard(lock_);
    return Update([&](RegistryKey& root) {
        RegistryKey* key = FindKey(root, *levels);
        if (key == nullptr) return false;
        key->SetValue(name, std::move(data));
        return true;
    });
}

bool FileRegistry::DeleteValue(const std::wstring& keyPath, const std::wstring& name) {
    const auto levels = SplitKeyPath(keyPath);
    if (!levels) return false;
    std::lock_guard guard(lock_);
    return Update([&](RegistryKey& root) {
        RegistryKey* key = FindKey(root, *levels);
        return key != nullptr && key->RemoveValue(name);
    });
}

}  // namespace sealwing::platform
