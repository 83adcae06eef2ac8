#include "platform/win32/Win32SecretProtection.h"

#include "platform/win32/Win32Headers.h"
#include <wincrypt.h>

namespace sealwing::platform {
namespace {

DATA_BLOB BlobOf(std::string_view bytes) {
    DATA_BLOB blob;
    blob.cbData = static_cast<DWORD>(bytes.size());
    blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
    return blob;
}

// Takes the output blob, which the service allocated, into the string and frees it.
void TakeBlob(DATA_BLOB& blob, std::string& into) {
    into.assign(reinterpret_cast<const char*>(blob.pbData), blob.cbData);
    ::LocalFree(blob.pbData);
}

}  // namespace

bool Win32SecretProtection::Protect(std::string_view plain, std::string& blob, std::uint32_t& error) {
    DATA_BLOB input = BlobOf(plain);
    DATA_BLOB output{};
    if (!::CryptProtectData(&input, L"data", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &output)) {
        error = ::GetLastError();
        return false;
    }
    TakeBlob(output, blob);
    return true;
}

bool Win32SecretProtection::Unprotect(std::string_view blob, std::string& plain, std::uint32_t& error) {
    DATA_BLOB input = BlobOf(blob);
    DATA_BLOB output{};
    if (!::CryptUnprotectData(&input, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &output)) {
        error = ::GetLastError();
        plain.clear();
        return false;
    }
    TakeBlob(output, plain);
    return true;
}

}  // namespace sealwing::platform
