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
// server-key.pem. Keys live only for the run (one CA per process); none is ever committed. ECDSA P-256 with SHA-256,
// which the TLS stacks the add-in meets here (OpenSSL under libcurl, Wine's over GnuTLS) accept, and whose keys take
// a millisecond to make where RSA 2048 took most of a short test's run.
CertificateFiles CreateTestCertificates(const std::filesystem::path& folder);

}  // namespace sealwing::localservice
