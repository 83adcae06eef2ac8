#include "outlook/ComError.h"

#include "platform/Text.h"

namespace sealwing::outlook {

ComError::ComError(HResult code, std::wstring description)
    : std::runtime_error("COM error 0x" + platform::Hex(static_cast<std::uint32_t>(code)) + ": " +
                         platform::Utf8FromWide(description)),
      code_(code),
      description_(std::move(description)) {}

}  // namespace sealwing::outlook
