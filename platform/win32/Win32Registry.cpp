#include "platform/win32/Win32Registry.h"

#include "platform/win32/Win32Headers.h"

#include <algorithm>
#include <cstddef>

namespace sealwing::platform {
namespace {

// Longest value name plus its NUL; key names are shorter (255).
constexpr DWORD kLongestName = 16384;

class Key {
public:
    Key() = default;
    ~Key() {
        if (key_ != nullptr) ::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    bool Open(HKEY parent, const std::wstring& path, REGSAM access) {
        return ::RegOpenKeyExW(parent, path.c_str(), 0, access, &key_) == ERROR_SUCCESS;
    }
    bool Create(HKEY parent, const std::wstring& path, REGSAM access) {
        return ::RegCreateKeyExW(parent, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key_,
                                 nullptr) == ERROR_SUCCESS;
    }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

using DeleteTreeFunction = LSTATUS(WINAPI*)(HKEY, LPCWSTR);

DeleteTreeFunction SystemDeleteTree() {
    HMODULE advapi = ::GetModuleHandleW(L"advapi32.dll");
    if (advapi == nullptr) return nullptr;
    FARPROC found = ::GetProcAddress(advapi, "RegDeleteTreeW");
    // Through a generic function pointer, which GCC accepts without a cast-function-type warning.
    return reinterpret_cast<DeleteTreeFunction>(reinterpret_cast<void (*)()>(found));
}

std::vector<std::wstring> EnumerateSubkeys(HKEY key) {
    std::vector<std::wstring> names;
    std::wstring name(kLongestName, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = kLongestName;
        const LSTATUS status = ::RegEnumKeyExW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS at the end
        names.emplace_back(name.data(), length);
    }
    return names;
}

// XP has no RegDeleteTreeW: children first, as RegDeleteKeyW only deletes a key without subkeys.
bool DeleteTreeByHand(HKEY parent, const std::wstring& name) {
    {
        Key key;
        if (!key.Open(parent, name, KEY_READ | KEY_WRITE | DELETE)) return false;
        for (const std::wstring& child : EnumerateSubkeys(key.Get())) {
            if (!DeleteTreeByHand(key.Get(), child)) return false;
        }
    }
    return ::RegDeleteKeyW(parent, name.c_str()) == ERROR_SUCCESS;
}

std::optional<std::vector<BYTE>> QueryValue(HKEY key, const std::wstring& name, DWORD wantedType) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != wantedType) {
        return std::nullopt;
    }
    // The value may grow between the two calls; ERROR_MORE_DATA asks again with the new size.
    for (;;) {
        std::vector<BYTE> data(size);
        const LSTATUS status = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS || type != wantedType) return std::nullopt;
        data.resize(size);
        return data;
    }
}

bool SetValue(HKEY root, const std::wstring& keyPath, const std::wstring& name, DWORD type, const void* data,
              DWORD size) {
    Key key;
    if (!key.Open(root, keyPath, KEY_SET_VALUE)) return false;  // never creates the key
    return ::RegSetValueExW(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

}  // namespace

Win32Registry::Win32Registry(std::wstring rootKeyPath) : root_(std::move(rootKeyPath)) {
    while (!root_.empty() && root_.back() == L'\\') root_.pop_back();
}

std::wstring Win32Registry::FullPath(const std::wstring& keyPath) const {
    if (root_.empty()) return keyPath;
    if (keyPath.empty()) return root_;
    return root_ + L"\\" + keyPath;
}

bool Win32Registry::CreateKey(const std::wstring& keyPath) {
    Key key;
    return key.Create(HKEY_CURRENT_USER, FullPath(keyPath), KEY_READ);
}

bool Win32Registry::KeyExists(const std::wstring& keyPath) {
    Key key;
    return key.Open(HKEY_CURRENT_USER, FullPath(keyPath), KEY_READ);
}

bool Win32Registry::DeleteKey(const std::wstring& keyPath) {
    std::wstring path = FullPath(keyPath);
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    if (keyPath.empty() || path.empty()) return false;
    const std::size_t split = path.rfind(L'\\');
    const std::wstring parentPath = split == std::wstring::npos ? std::wstring() : path.substr(0, split);
    const std::wstring name = split == std::wstring::npos ? path : path.substr(split + 1);

    Key parent;
    if (!parent.Open(HKEY_CURRENT_USER, parentPath, KEY_READ | KEY_WRITE)) return false;
    {
        Key target;  // RegDeleteTreeW succeeds on a missing key on some systems; the port says false
        if (!target.Open(parent.Get(), name, KEY_READ)) return false;
    }
    static const DeleteTreeFunction deleteTree = SystemDeleteTree();
    if (deleteTree != nullptr) {
        return deleteTree(parent.Get(), name.c_str()) == ERROR_SUCCESS;
    }
    return DeleteTreeByHand(parent.Get(), name);
}

std::vector<std::wstring> Win32Registry::SubkeyNames(const std::wstring& keyPath) {
    Key key;
    if (!key.Open(HKEY_CURRENT_USER, FullPath(keyPath), KEY_READ)) return {};
    return EnumerateSubkeys(key.Get());
}

std::vector<std::wstring> Win32Registry::ValueNames(const std::wstring& keyPath) {
    Key key;
    if (!key.Open(HKEY_CURRENT_USER, FullPath(keyPath), KEY_READ)) return {};
    std::vector<std::wstring> names;
    std::wstring name(kLongestName, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = kLongestName;
        const LSTATUS status =
            ::RegEnumValueW(key.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) break;
        names.emplace_back(name.data(), length);
    }
    return names;
}

std::optional<std::uint32_t> Win32Registry::ReadDword(const std::wstring& keyPath, const std::wstring& name) {
    Key key;
    if (!key.Open(HKEY_CURRENT_USER, FullPath(keyPath), KEY_QUERY_VALUE)) return std::nullopt;
    const auto data = QueryValue(key.Get(), name, REG_DWORD);
    if (!data || data->size() != sizeof(DWORD)) return std::nullopt;
    DWORD value = 0;
    std::copy(data->begin(), data->end(), reinterpret_cast<BYTE*>(&value));
    return value;
}

std::optional<std::wstring> Win32Registry::ReadString(const std::wstring& keyPath, const std::wstring& name) {
    Key key;
    if (!key.Open(HKEY_CURRENT_USER, FullPath(keyPath), KEY_QUERY_VALUE)) return std::nullopt;
    const auto data = QueryValue(key.Get(), name, REG_SZ);
    if (!data) return std::nullopt;
    std::wstring text(data->size() / sizeof(wchar_t), L'\0');
    std::copy(data->begin(), data->begin() + static_cast<std::ptrdiff_t>(text.size() * sizeof(wchar_t)),
              reinterpret_cast<BYTE*>(text.data()));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

bool Win32Registry::WriteDword(const std::wstring& keyPath, const std::wstring& name, std::uint32_t value) {
    const DWORD data = value;
    return SetValue(HKEY_CURRENT_USER, FullPath(keyPath), name, REG_DWORD, &data, sizeof(data));
}

bool Win32Registry::WriteString(const std::wstring& keyPath, const std::wstring& name, const std::wstring& value) {
    const auto size = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return SetValue(HKEY_CURRENT_USER, FullPath(keyPath), name, REG_SZ, value.c_str(), size);
}

bool Win32Registry::DeleteValue(const std::wstring& keyPath, const std::wstring& name) {
    Key key;
    if (!key.Open(HKEY_CURRENT_USER, FullPath(keyPath), KEY_SET_VALUE)) return false;
    return ::RegDeleteValueW(key.Get(), name.c_str()) == ERROR_SUCCESS;
}

}  // namespace sealwing::platform
