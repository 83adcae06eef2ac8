#include "platform/win32/testdata/ServiceUnderTest.h"

// winsock2.h must come before windows.h, which would otherwise bring the old winsock.h.
#include <winsock2.h>

#include "platform/win32/Win32Headers.h"

#include <wincrypt.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/Text.h"
#include "service/TransportEndpoint.h"

namespace sealwing::platform::win32::testing {
namespace {

std::optional<std::string> ReadFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

// The service's record format: "METHOD TARGET", the header lines, an empty line, the raw body.
std::optional<ReceivedRequest> ParseRecord(const std::string& text) {
    const std::size_t headEnd = text.find("\r\n\r\n");
    if (headEnd == std::string::npos) return std::nullopt;
    ReceivedRequest request;
    request.body = text.substr(headEnd + 4);
    std::size_t lineStart = 0;
    bool first = true;
    while (lineStart < headEnd) {
        std::size_t lineEnd = text.find("\r\n", lineStart);
        if (lineEnd == std::string::npos || lineEnd > headEnd) lineEnd = headEnd;
        const std::string line = text.substr(lineStart, lineEnd - lineStart);
        const std::size_t split = line.find(first ? " " : ": ");
        if (split == std::string::npos) return std::nullopt;
        if (first) {
            request.method = line.substr(0, split);
            request.target = line.substr(split + 1);
        } else {
            request.headers.emplace_back(line.substr(0, split), line.substr(split + 2));
        }
        first = false;
        lineStart = lineEnd + 2;
    }
    return request;
}

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
    const std::optional<std::string> pem = ReadFile(pemFile);
    DWORD size = 0;
    if (!pem || !::CryptStringToBinaryA(pem->c_str(), static_cast<DWORD>(pem->size()), CRYPT_STRING_BASE64HEADER,
                                        nullptr, &size, nullptr, nullptr)) {
        error = "no PEM certificate in " + pemFile.string();
        return std::nullopt;
    }
    std::string der(size, '\0');
    if (!::CryptStringToBinaryA(pem->c_str(), static_cast<DWORD>(pem->size()), CRYPT_STRING_BASE64HEADER,
                                reinterpret_cast<BYTE*>(der.data()), &size, nullptr, nullptr)) {
        error = "cannot decode " + pemFile.string();
        return std::nullopt;
    }
    der.resize(size);
    return der;
}

}  // namespace

std::optional<std::string> ReceivedRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualsIgnoreCase(WideFromUtf8(key), WideFromUtf8(name))) return value;
    }
    return std::nullopt;
}

std::variant<ServiceUnderTest, std::string> ServiceUnderTest::FromEnvironment(const char* endpointVariable,
                                                                            const char* recordVariable) {
    const char* endpointText = std::getenv(endpointVariable);
    const char* recordText = std::getenv(recordVariable);
    service::ServiceEndpoint endpoint;
    if (endpointText == nullptr || !service::ParseServiceEndpoint(endpointText, endpoint)) {
        return std::string(endpointVariable) + " must name the service as host:port";
    }
    if (recordText == nullptr || !std::filesystem::is_directory(recordText)) {
        return std::string(recordVariable) + " must name the folder where the service records requests";
    }
    ServiceUnderTest service;
    service.host_ = endpoint.host;
    service.port_ = endpoint.port;
    service.recordFolder_ = recordText;
    return service;
}

std::vector<ReceivedRequest> ServiceUnderTest::Received() const {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(recordFolder_)) {
        if (entry.path().extension() == ".http") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());  // six-digit arrival numbers
    std::vector<ReceivedRequest> requests;
    for (const std::filesystem::path& file : files) {
        const std::optional<std::string> text = ReadFile(file);
        std::optional<ReceivedRequest> request = text ? ParseRecord(*text) : std::nullopt;
        // A record that cannot be read still counts, so a check for "nothing arrived" cannot miss it.
        requests.push_back(request ? std::move(*request) : ReceivedRequest{.method = "unreadable record"});
    }
    return requests;
}

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
    if (const CERT_CONTEXT* found = ::CertFindCertificateInStore(store.get(), X509_ASN_ENCODING, 0,
                                                                 CERT_FIND_SHA1_HASH, &blob, nullptr)) {
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

int ClosedLoopbackPort() {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    int port = 0;
    const SOCKET probe = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    // Bound but never listening, then closed: the port was free a moment ago and nothing accepts on it.
    if (probe != INVALID_SOCKET && ::bind(probe, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (probe != INVALID_SOCKET) ::closesocket(probe);
    ::WSACleanup();
    return port;
}

}  // namespace sealwing::platform::win32::testing
