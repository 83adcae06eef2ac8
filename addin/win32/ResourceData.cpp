#include "addin/win32/ResourceData.h"

#include "addin/win32/Module.h"

namespace sealwing::win32 {

std::string_view ResourceBytes(const wchar_t* type, int id) {
    const HMODULE module = ModuleHandle();
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (resource == nullptr) return {};
    HGLOBAL loaded = LoadResource(module, resource);
    if (loaded == nullptr) return {};
    const void* data = LockResource(loaded);
    if (data == nullptr) return {};
    return {static_cast<const char*>(data), SizeofResource(module, resource)};
}

std::optional<std::wstring> ResourceText(const wchar_t* type, int id) {
    const std::string_view bytes = ResourceBytes(type, id);
    if (bytes.data() == nullptr) return std::nullopt;
    if (bytes.empty()) return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, text.data(), length);
    return text;
}

}  // namespace sealwing::win32
