#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

#include "addin/ProcessState.h"
#include "diagnostics/Log.h"
#include "localservice/LocalService.h"
#include "platform/Clock.h"
#include "platform/EntryGuard.h"
#include "platform/Platform.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/FileRegistry.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/SodiumSecretProtection.h"
#include "platform/posix/TempFolder.h"
#include "service/TransportEndpoint.h"
#include "sim/SimOutlook.h"
#include "tests/NoServiceHttp.h"

namespace sealwing::testing {

// Whether a world's add-in talks to the service: worlds of code that never does go without it, and a request there
// stops the test program.
enum class LocalServiceUse { Started, None };

// A local service running in another process, for programs that measure this process alone.
struct ExternalService {
    int port = 0;
    std::string caFile;
};

// A simulated Outlook of the given version on this thread, with the user's files and registry in a fresh folder,
// a clock that moves only when told, and the local service answering the add-in's requests: the ground every
// scenario test stands on. The service starts with no accounts; a test adds what it needs through Service().
class OutlookWorld {
public:
    static constexpr std::int64_t kStartTime = 1796871845;  // 2026-12-10 03:04:05 UTC

    explicit OutlookWorld(int majorVersion, LocalServiceUse serviceUse = LocalServiceUse::Started)
        : OutlookWorld(sim::SimOptions{.majorVersion = majorVersion}, serviceUse) {}

    explicit OutlookWorld(sim::SimOptions options, LocalServiceUse serviceUse = LocalServiceUse::Started)
        : files_(temp_.Path() + L"/roaming", temp_.Path() + L"/local"),
          registry_(temp_.Path() + L"/registry.txt"),
          secrets_(temp_.Narrow() + "/keys/user.key"),
          clock_(kStartTime),
          service_(serviceUse == LocalServiceUse::Started ? StartService(temp_.Narrow() + "/certificates") : nullptr),
          endpoint_(service::ServiceEndpoint{.host = "localhost", .port = service_ ? service_->Port() : 0}),
          http_(service_ ? std::unique_ptr<platform::Http>(std::make_unique<platform::CurlHttp>(
                               platform::CurlHttp::Options{.caFile = service_->CaFile()}))
                         : std::make_unique<NoServiceHttp>()),
          outlook_(std::move(options), clock_),
          platform_(outlook_.PlatformWith(
              {.files = files_, .registry = registry_, .secrets = &secrets_, .http = http_.get()})) {
        Prepare();
    }

    OutlookWorld(int majorVersion, const ExternalService& external)
        : files_(temp_.Path() + L"/roaming", temp_.Path() + L"/local"),
          registry_(temp_.Path() + L"/registry.txt"),
          secrets_(temp_.Narrow() + "/keys/user.key"),
          clock_(kStartTime),
          endpoint_(service::ServiceEndpoint{.host = "localhost", .port = external.port}),
          http_(std::make_unique<platform::CurlHttp>(platform::CurlHttp::Options{.caFile = external.caFile})),
          outlook_(sim::SimOptions{.majorVersion = majorVersion}, clock_),
          platform_(outlook_.PlatformWith(
              {.files = files_, .registry = registry_, .secrets = &secrets_, .http = http_.get()})) {
        Prepare();
    }

    ~OutlookWorld() { ResetProcessState(); }

    sim::SimOutlook& Outlook() { return outlook_; }
    localservice::LocalService& Service() {
        if (service_ == nullptr) throw std::logic_error("this world was made without the local service");
        return *service_;
    }
    platform::ManualClock& Clock() { return clock_; }

    std::string LogFile(const std::string& name) const {
        std::ifstream in(temp_.Narrow() + "/local/Parcelon/" + name + ".log", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    void Prepare() {
        std::filesystem::create_directories(temp_.Narrow() + "/roaming");
        std::filesystem::create_directories(temp_.Narrow() + "/local");
        ResetProcessState();
        diagnostics::InstallEntryFailureLogging();
    }

    static std::unique_ptr<localservice::LocalService> StartService(const std::string& certificates) {
        auto service = std::make_unique<localservice::LocalService>();
        if (const std::string error = service->Start(certificates); !error.empty()) {
            throw std::runtime_error("local service: " + error);
        }
        return service;
    }

    platform::TempFolder temp_;
    platform::PosixFileSystem files_;
    platform::FileRegistry registry_;
    platform::SodiumSecretProtection secrets_;
    platform::ManualClock clock_;
    std::unique_ptr<localservice::LocalService> service_;
    service::ScopedServiceEndpoint endpoint_;
    std::unique_ptr<platform::Http> http_;
    sim::SimOutlook outlook_;
    platform::ScopedPlatform platform_;
};

inline std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

}  // namespace sealwing::testing
