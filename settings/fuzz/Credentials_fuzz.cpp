// Coverage-guided fuzzing of the credentials file's loading: the raw file through the secrets port (a damaged or
// foreign file is refused, never read), and the decrypted text through the credentials document's reader, whose
// entries, saved again, read back the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/Text.h"
#include "platform/posix/SodiumSecretProtection.h"
#include "settings/CredentialList.h"
#include "settings/PasswordStorage.h"

namespace {

// A key of its own, made once, so that the raw input meets a real decryption rather than a missing key.
sealwing::platform::SodiumSecretProtection& Secrets() {
    static const std::filesystem::path key =
        std::filesystem::temp_directory_path() / "sealwing-credentials-fuzz" / "user.key";
    static sealwing::platform::SodiumSecretProtection secrets(key.string());
    static const bool keyMade = [] {
        std::string blob;
        std::uint32_t error = 0;
        return secrets.Protect("key", blob, error);
    }();
    if (!keyMade) std::abort();
    return secrets;
}

bool SameEntries(const sealwing::settings::CredentialList& a, const sealwing::settings::CredentialList& b) {
    if (a.Entries().size() != b.Entries().size()) return false;
    for (std::size_t i = 0; i < a.Entries().size(); ++i) {
        if (a.Entries()[i].user != b.Entries()[i].user || a.Entries()[i].password != b.Entries()[i].password) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sealwing;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    std::string plain;
    std::uint32_t error = 0;
    if (!Secrets().Unprotect(bytes, plain, error) && error == 0) std::abort();  // a refusal says why

    settings::CredentialList read;
    settings::ReadCredentialsDocument(platform::WideFromUtf16Le(bytes), read);
    settings::CredentialList again;
    settings::ReadCredentialsDocument(settings::CredentialsDocumentText(read), again);
    if (!SameEntries(read, again)) std::abort();
    return 0;
}
