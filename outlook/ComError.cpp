#include "outlook/ComError.h"

#include "platform/SystemErrorText.h"
#include "platform/Text.h"

namespace sealwing::outlook {

ComError::ComError(HResult code, std::wstring description)
    : std::runtime_error("COM error 0x" + platform::Hex(static_cast<std::uint32_t>(code)) + ": " +
                         platform::Utf8FromWide(description)),
      code_(code),
      description_(std::move(description)) {}

std::wstring ComErrorMessage(HResult code) {
    const auto value = static_cast<std::uint32_t>(code);
    if (auto text = platform::SystemErrorText(value)) return *std::move(text);
    // Interface-specific codes from 0x80040200 on carry a dispatch error number ("wCode") past that base.
    constexpr std::uint32_t kDispatchErrorBase = 0x80040200;
    if ((value & 0xFFFF0000U) == 0x80040000U && value >= kDispatchErrorBase) {
        return L"IDispatch error #" + std::to_wstring(value - kDispatchErrorBase);
    }
    return L"Unknown error 0x" + platform::ToUpper(platform::HexW(value));
}

}  // namespace sealwing::outlook
