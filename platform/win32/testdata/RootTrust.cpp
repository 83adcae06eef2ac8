#include "platform/win32/testdata/RootTrust.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>

// wincrypt.h needs windows.h first.
// clang-format off
#include "platform/win32/Win32Headers.h"
#include <wincrypt.h>
// clang-format on

namespace sealwing::platform::win32::testing {
namespace {

struct StoreCloser {
    void operator()(void* store) const { ::CertCloseStore(store, 0); }
};

struct ContextFreer {
    void operator()(const CERT_CONTEXT* context) const { ::CertFreeCertificateContext(context); }
};

HCERTSTORE OpenMachineRoots() {
    return ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
}

// The DER bytes of the PEM certificate in the file; sets `error` and returns nothing when there is none.
std::optional<std::string> CertificateFromPem(const std::filesystem::path& pemFile, std::string& error) {
    std::ifstream stream(pemFile, std::ios::binary);
    const std::string pem(std::istreambuf_iterator<char>(stream), {});
    DWORD size = 0;
    if (pem.empty() || !::CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                                               nullptr, &size, nullptr, nullptr)) {
        error = "no PEM certificate in " + pemFile.string();
        return std::nullopt;
    }
    std::string der(size, '\0');
    if (!::CryptStringToBinaryA(pem.c_str(), static_cast<DWORD>(pem.size()), CRYPT_STRING_BASE64HEADER,
                                reinterpret_cast<BYTE*>(der.data()), &size, nullptr, nullptr)) {
        error = "cannot decode " + pemFile.string();
        return std::nullopt;
    }
    der.resize(size);
    return der;
}

}  // namespace

std::string TrustRootCertificate(const std::filesystem::path& pemFile) {
    std::string error;
    const std::optional<std::string> der = CertificateFromPem(pemFile, error);
    if (!der) return error;
    const std::unique_ptr<void, StoreCloser> store(OpenMachineRoots());
    if (!store) return "cannot open the local machine's root store, error " + std::to_string(::GetLastError());
    if (!::CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der->data()),
                                            static_cast<DWORD>(der->size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                            nullptr)) {
        return "cannot add the certificate to the root store, error " + std::to_string(::GetLastError());
    }
    return {};
}

std::string ForgetRootCertificate(const std::filesystem::path& pemFile) {
    std::string error;
    const std::optional<std::string> der = CertificateFromPem(pemFile, error);
    if (!der) return error;
    const std::unique_ptr<const CERT_CONTEXT, ContextFreer> certificate(::CertCreateCertificateContext(
        X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der->data()), static_cast<DWORD>(der->size())));
    BYTE hash[20];
    DWORD hashSize = sizeof(hash);
    if (!certificate ||
        !::CertGetCertificateContextProperty(certificate.get(), CERT_SHA1_HASH_PROP_ID, hash, &hashSize)) {
        return "cannot read the certificate in " + pemFile.string();
    }
    const std::unique_ptr<void, StoreCloser> store(OpenMachineRoots());
    if (!store) return "cannot open the local machine's root store, error " + std::to_string(::GetLastError());
    CRYPT_HASH_BLOB blob{hashSize, hash};
    if (const CERT_CONTEXT* found =
            ::CertFindCertificateInStore(store.get(), X509_ASN_ENCODING, 0, CERT_FIND_SHA1_HASH, &blob, nullptr)) {
        ::CertDeleteCertificateFromStore(found);  // frees `found` as well
    }
    // Wine keeps a copy of a deleted root under the registry key named after its hash; it goes too.
    std::wstring key = L"Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\";
    for (DWORD i = 0; i < hashSize; ++i) {
        static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
        key += {kDigits[hash[i] >> 4], kDigits[hash[i] & 15]};
    }
    const LSTATUS deleted = ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
    if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) {
        return "cannot delete the registry copy of the certificate, error " + std::to_string(deleted);
    }
    return {};
}

}  // namespace sealwing::platform::win32::testing
