#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sealwing::platform {

// Protects bytes for the current user only (DPAPI's user scope on Windows): a blob made here cannot be read by
// another user, and a blob changed by anyone fails to unprotect.
class SecretProtection {
public:
    virtual ~SecretProtection() = default;
    // False with a platform error number when the data cannot be protected or unprotected.
    virtual bool Protect(std::string_view plain, std::string& blob, std::uint32_t& error) = 0;
    virtual bool Unprotect(std::string_view blob, std::string& plain, std::uint32_t& error) = 0;
};

}  // namespace sealwing::platform
