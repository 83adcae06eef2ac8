#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "platform/SecretProtection.h"

namespace sealwing::platform {

// The user's secrets sealed with authenticated encryption (XSalsa20-Poly1305) under a random key of the user's own,
// kept in a file only the user can read. Another key (another user) or a changed blob fails with EBADMSG.
class SodiumSecretProtection final : public SecretProtection {
public:
    // The key file is created (0600, its missing folders 0700) the first time something is protected; a key that
    // another process made first is used instead.
    explicit SodiumSecretProtection(std::string keyFile);
    // $XDG_CONFIG_HOME (or ~/.config) / "parcelon-keys" / "user.key".
    static std::string DefaultKeyFile();

    bool Protect(std::string_view plain, std::string& blob, std::uint32_t& error) override;
    bool Unprotect(std::string_view blob, std::string& plain, std::uint32_t& error) override;

private:
    // The key, read or (when `create`) made; nothing with the errno when it cannot be had.
    std::optional<std::string> Key(bool create, std::uint32_t& error);
    // Reads the key file into key_; false with the errno (EBADMSG for a file of the wrong size) otherwise.
    bool ReadKey(std::uint32_t& error);

    std::mutex lock_;
    const std::string keyFile_;
    std::optional<std::string> key_;
};

}  // namespace sealwing::platform
