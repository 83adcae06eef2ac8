#pragma once

#include <filesystem>
#include <string>

namespace sealwing::localservice {

struct CertificateFiles {
    std::filesystem::path caCertificate;  // the test CA, for the client's trust store
    // "localhost" alone, issued by the test CA: 127.0.0.1 reaches the same server under a name the certificate does
    // not hold, which host-name checks must refuse.
    std::filesystem::path serverCertificate;
    std::filesystem::path serverKey;  // mode 0600
    std::string error;                // empty on success
};

// Creates a fresh test CA and a server certificate it signs in `folder` (created if missing): ca.pem, server.pem,
// server-key.pem. Keys live only for the run (one CA per process); none is ever committed. RSA 2048 and SHA-256, which
// every TLS stack the add-in meets (OpenSSL under libcurl, Windows' and Wine's) accepts.
CertificateFiles CreateTestCertificates(const std::filesystem::path& folder);

}  // namespace sealwing::localservice
