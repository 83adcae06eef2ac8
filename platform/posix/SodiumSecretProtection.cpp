#include "platform/posix/SodiumSecretProtection.h"

#include <fcntl.h>
#include <sodium.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/posix/PosixIo.h"

namespace sealwing::platform {
namespace {

// Blob layout: magic, nonce, then the sealed text (MAC first, as crypto_secretbox_easy writes it).
constexpr std::string_view kMagic = "SWP1";
constexpr std::size_t kHeaderSize = kMagic.size() + crypto_secretbox_NONCEBYTES;

bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

const unsigned char* Bytes(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }
unsigned char* Bytes(std::string& text) { return reinterpret_cast<unsigned char*>(text.data()); }

}  // namespace

SodiumSecretProtection::SodiumSecretProtection(std::string keyFile) : keyFile_(std::move(keyFile)) {}

std::string SodiumSecretProtection::DefaultKeyFile() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::filesystem::path folder;
    if (config != nullptr && config[0] == '/') {
        folder = config;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        folder = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    return (folder / "parcelon-keys" / "user.key").string();
}

std::optional<std::string> SodiumSecretProtection::Key(bool create, std::uint32_t& error) {
    const std::string folder = std::filesystem::path(keyFile_).parent_path().string();
    // Each seal finds the key's folder the user's alone, however it was made or changed since: a folder others may
    // list tells them where the key is and when it changes. One that does not exist yet is made so below.
    if (create && !keyFile_.empty()) posix::NarrowFolderToOwner(folder);
    if (key_) return key_;
    if (keyFile_.empty()) {
        error = ENOENT;
        return std::nullopt;
    }
    if (ReadKey(error) || error != ENOENT || !create) return key_;

    if (const int folderError = posix::CreatePrivateFolders(folder); folderError != 0) {
        error = static_cast<std::uint32_t>(folderError);
        return std::nullopt;
    }
    std::string key(crypto_secretbox_KEYBYTES, '\0');
    crypto_secretbox_keygen(Bytes(key));
    // Another process of the same user may have made its key a moment ago and sealed secrets with it already:
    // that key is kept and read back, never replaced.
    if (const int createError = posix::CreateFileOnce(keyFile_, key); createError == EEXIST) {
        ReadKey(error);
        return key_;
    } else if (createError != 0) {
        error = static_cast<std::uint32_t>(createError);
        return std::nullopt;
    }
    key_ = std::move(key);
    return key_;
}

bool SodiumSecretProtection::ReadKey(std::uint32_t& error) {
    const posix::UniqueFd fd = posix::OpenFd(keyFile_, O_RDONLY | O_CLOEXEC);
    if (!fd.Valid()) {
        error = static_cast<std::uint32_t>(errno);
        return false;
    }
    std::string key;
    if (const int readError = posix::ReadFromStart(fd.Get(), key); readError != 0) {
        error = static_cast<std::uint32_t>(readError);
        return false;
    }
    if (key.size() != crypto_secretbox_KEYBYTES) {
        error = EBADMSG;  // a damaged key file is never replaced: that would lose every secret it protects
        return false;
    }
    key_ = std::move(key);
    return true;
}

bool SodiumSecretProtection::Protect(std::string_view plain, std::string& blob, std::uint32_t& error) {
    if (!SodiumReady()) {
        error = EIO;
        return false;
    }
    std::lock_guard guard(lock_);
    const auto key = Key(true, error);
    if (!key) return false;
    blob.assign(kHeaderSize + crypto_secretbox_MACBYTES + plain.size(), '\0');
    blob.replace(0, kMagic.size(), kMagic);
    unsigned char* nonce = Bytes(blob) + kMagic.size();
    randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
    crypto_secretbox_easy(Bytes(blob) + kHeaderSize, Bytes(plain), plain.size(), nonce, Bytes(*key));
    return true;
}

bool SodiumSecretProtection::Unprotect(std::string_view blob, std::string& plain, std::uint32_t& error) {
    if (!SodiumReady()) {
        error = EIO;
        return false;
    }
    if (blob.size() < kHeaderSize + crypto_secretbox_MACBYTES || blob.substr(0, kMagic.size()) != kMagic) {
        error = EBADMSG;
        return false;
    }
    std::lock_guard guard(lock_);
    const auto key = Key(false, error);
    if (!key) return false;
    const std::string_view sealed = blob.substr(kHeaderSize);
    plain.assign(sealed.size() - crypto_secretbox_MACBYTES, '\0');
    if (crypto_secretbox_open_easy(Bytes(plain), Bytes(sealed), sealed.size(), Bytes(blob) + kMagic.size(),
                                   Bytes(*key)) != 0) {
        plain.clear();
        error = EBADMSG;
        return false;
    }
    return true;
}

}  // namespace sealwing::platform
