#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "addin/ProcessState.h"
#include "diagnostics/Log.h"
#include "localservice/LocalService.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TempFolder.h"
#include "service/TransportEndpoint.h"
#include "settings/PasswordCache.h"

// The local service on a free port with its own test CA, the add-in's HTTP trusting that CA, and requests going
// there instead of the built-in host: the ground of the service client's tests.
namespace sealwing::service::testing {

// UTF-8 "p", U+00E4, U+20AC, "ss": two- and three-byte sequences.
constexpr const char* kAnnPasswordUtf8 = "p\xC3\xA4\xE2\x82\xACss";
constexpr const wchar_t* kAnnPassword = L"p\u00E4\u20ACss";

class LocalServiceTest : public ::testing::Test {
protected:
    LocalServiceTest() {
        ResetProcessState();
        service_.State().AddAccount({.email = "ann@example.com", .password = kAnnPasswordUtf8});
        if (const std::string error = service_.Start(temp_.Narrow() + "/certificates"); !error.empty()) {
            throw std::runtime_error("local service: " + error);
        }
        endpoint_ =
            std::make_unique<ScopedServiceEndpoint>(ServiceEndpoint{.host = "localhost", .port = service_.Port()});
        http_ = std::make_unique<platform::CurlHttp>(platform::CurlHttp::Options{.caFile = service_.CaFile()});
        platform_ = std::make_unique<platform::ScopedPlatform>(
            platform::Platform{.clock = &clock_, .files = &files_, .http = http_.get()});
    }
    ~LocalServiceTest() override { ResetProcessState(); }

    void CacheAnnsPassword() { settings::PasswordCache::Instance().SetPassword(L"ann@example.com", kAnnPassword); }

    platform::TempFolder temp_;
    platform::ManualClock clock_;
    platform::PosixFileSystem files_{temp_.Path() + L"/roaming", temp_.Path() + L"/local"};
    localservice::LocalService service_;
    std::unique_ptr<ScopedServiceEndpoint> endpoint_;
    // Made once the service has created its test CA.
    std::unique_ptr<platform::CurlHttp> http_;
    std::unique_ptr<platform::ScopedPlatform> platform_;
};

}  // namespace sealwing::service::testing
