#include "addin/win32/RegistryExecutor.h"

#include <string>
#include <variant>

namespace sealwing::win32 {
namespace {

HKEY HiveOf(registrar::Root root) {
    switch (root) {
        case registrar::Root::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case registrar::Root::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case registrar::Root::CurrentUser:
            return HKEY_CURRENT_USER;
    }
    return HKEY_CURRENT_USER;
}

bool IsMissing(LONG status) { return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND; }

// RegDeleteTree is not on the oldest Windows the add-in supports: subkeys first, then the key.
LONG DeleteTree(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ | KEY_WRITE, &key);
    if (status != ERROR_SUCCESS) return status;
    for (;;) {
        wchar_t name[256];
        DWORD length = 256;
        status = RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) {
            RegCloseKey(key);
            return status;
        }
        status = DeleteTree(key, name);
        if (status != ERROR_SUCCESS) {
            RegCloseKey(key);
            return status;
        }
    }
    RegCloseKey(key);
    return RegDeleteKeyW(parent, path.c_str());
}

LONG DeleteIfEmpty(HKEY hive, const std::wstring& path) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) return status;
    DWORD subkeys = 0;
    DWORD values = 0;
    status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                              nullptr, nullptr);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return status;
    if (subkeys != 0 || values != 0) return ERROR_SUCCESS;
    return RegDeleteKeyW(hive, path.c_str());
}

LONG SetValue(HKEY hive, const std::wstring& path, const registrar::Value& value) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(hive, path.c_str(), 0, KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS) return status;
    if (const auto* text = std::get_if<std::wstring>(&value.data)) {
        status = RegSetValueExW(key, value.name.empty() ? nullptr : value.name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(text->c_str()),
                                static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)));
    } else {
        const DWORD number = std::get<std::uint32_t>(value.data);
        status = RegSetValueExW(key, value.name.empty() ? nullptr : value.name.c_str(), 0, REG_DWORD,
                                reinterpret_cast<const BYTE*>(&number), sizeof(number));
    }
    RegCloseKey(key);
    return status;
}

LONG Apply(const registrar::Operation& operation) {
    const HKEY hive = HiveOf(operation.key.root);
    const std::wstring& path = operation.key.path;
    switch (operation.kind) {
        case registrar::Operation::Kind::CreateKey: {
            HKEY key = nullptr;
            const LONG status = RegCreateKeyExW(hive, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
            if (status == ERROR_SUCCESS) RegCloseKey(key);
            return status;
        }
        case registrar::Operation::Kind::SetValue:
            return SetValue(hive, path, operation.value);
        case registrar::Operation::Kind::DeleteTree: {
            const LONG status = DeleteTree(hive, path);
            return IsMissing(status) ? ERROR_SUCCESS : status;
        }
        case registrar::Operation::Kind::DeleteKeyIfEmpty: {
            const LONG status = DeleteIfEmpty(hive, path);
            return IsMissing(status) ? ERROR_SUCCESS : status;
        }
    }
    return ERROR_INVALID_PARAMETER;
}

}  // namespace

HRESULT ExecuteRegistryPlan(const std::vector<registrar::Operation>& plan) {
    for (const registrar::Operation& operation : plan) {
        const LONG status = Apply(operation);
        if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
    }
    return S_OK;
}

}  // namespace sealwing::win32
