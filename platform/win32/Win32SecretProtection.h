#pragma once

#include "platform/SecretProtection.h"

namespace sealwing::platform {

// The data-protection service in the current user's scope: description "data", no extra entropy, never a prompt.
class Win32SecretProtection final : public SecretProtection {
public:
    bool Protect(std::string_view plain, std::string& blob, std::uint32_t& error) override;
    bool Unprotect(std::string_view blob, std::string& plain, std::uint32_t& error) override;
};

}  // namespace sealwing::platform
