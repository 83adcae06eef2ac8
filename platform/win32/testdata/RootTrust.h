#pragma once

#include <filesystem>
#include <string>

// Trusting a test CA for one Windows test program's run under Wine, such as the local service's: the WinHTTP tests
// and the harness that runs the add-in DLL against that service.
namespace sealwing::platform::win32::testing {

// Adds the PEM certificate in `pemFile` to the trusted roots of the local machine: under Wine that is the prefix's own
// root store, never the host's. Call it before the program's first TLS connection. Returns the error, empty on success.
std::string TrustRootCertificate(const std::filesystem::path& pemFile);
// Takes it out again, so test CAs do not pile up in the prefix run after run. Returns the error, empty on success.
std::string ForgetRootCertificate(const std::filesystem::path& pemFile);

}  // namespace sealwing::platform::win32::testing
