#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/testdata/RootTrust.h"

namespace sealwing::platform::win32::testing {

// The main of a Windows test program that talks to a local service of its own (scripts/run-windows-tests.sh starts
// it): the service is named by SEALWING_SERVICE_ENDPOINT, which the add-in's transport reads, and its test CA by
// SEALWING_SERVICE_CA (a Windows path), trusted for this run only so that test CAs do not pile up in the prefix.
inline int RunTestsAgainstLocalService(int argc, char** argv, const char* program) {
    ::testing::InitGoogleTest(&argc, argv);
    const char* endpoint = std::getenv("SEALWING_SERVICE_ENDPOINT");
    const char* ca = std::getenv("SEALWING_SERVICE_CA");
    if (endpoint == nullptr || ca == nullptr) {
        std::fprintf(stderr,
                     "%s: SEALWING_SERVICE_ENDPOINT and SEALWING_SERVICE_CA must name the local service and its CA "
                     "(run it through scripts/run-windows-tests.sh)\n",
                     program);
        return 2;
    }
    if (const std::string error = TrustRootCertificate(ca); !error.empty()) {
        std::fprintf(stderr, "%s: %s\n", program, error.c_str());
        return 2;
    }
    const int status = RUN_ALL_TESTS();
    if (const std::string error = ForgetRootCertificate(ca); !error.empty()) {
        std::fprintf(stderr, "%s: %s\n", program, error.c_str());
        return status == 0 ? 3 : status;
    }
    return status;
}

}  // namespace sealwing::platform::win32::testing
