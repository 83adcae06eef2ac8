#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace sealwing::win32 {

// The bytes of one of the DLL's resources; empty when it has none of that type and id.
std::string_view ResourceBytes(const wchar_t* type, int id);
// A text resource (UTF-8) as wide text; none when missing.
std::optional<std::wstring> ResourceText(const wchar_t* type, int id);

}  // namespace sealwing::win32
