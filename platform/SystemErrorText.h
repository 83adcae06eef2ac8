#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sealwing::platform {

// The operating system's own description of an error code (an HRESULT or a Win32 error), without its line end;
// nothing when the system has none.
std::optional<std::wstring> SystemErrorText(std::uint32_t code);

}  // namespace sealwing::platform
