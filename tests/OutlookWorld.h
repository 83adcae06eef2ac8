#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

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

namespace sealwing::testing {

// A simulated Outlook of the given version on this thread, with the user's files and registry in a fresh folder,
// a clock that moves only when told, and the local service answering the add-in's requests: the ground every
// scenario test stands on. The service starts with no accounts; a test adds what it needs through Service().
class OutlookWorld {
public:
    static constexpr std::int64_t kStartTime = 1796871845;  // 2026-12-10 03:04:05 UTC

    explicit OutlookWorld(int majorVersion)
        : files_(temp_.Path() + L"/roaming", temp_.Path() + L"/local"),
          registry_(temp_.Path() + L"/registry.txt"),
          secrets_(temp_.Narrow() + "/keys/user.key"),
          clock_(kStartTime),
          servicePort_(StartService(service_, temp_.Narrow() + "/certificates")),
          endpoint_(service::ServiceEndpoint{.host = "localhost", .port = servicePort_}),
          http_(platform::CurlHttp::Options{.caFile = service_.CaFile()}),
          outlook_(sim::SimOptions{.majorVersion = majorVersion}, clock_),
          platform_(
              outlook_.PlatformWith({.files = files_, .registry = registry_, .secrets = &secrets_, .http = &http_})) {
        std::filesystem::create_directories(temp_.Narrow() + "/roaming");
        std::filesystem::create_directories(temp_.Narrow() + "/local");
        ResetProcessState();
        diagnostics::InstallEntryFailureLogging();
    }

    ~OutlookWorld() { ResetProcessState(); }

    sim::SimOutlook& Outlook() { return outlook_; }
    localservice::LocalService& Service() { return service_; }
    platform::ManualClock& Clock() { return clock_; }

    std::string LogFile(const std::string& name) const {
        std::ifstream in(temp_.Narrow() + "/local/Parcelon/" + name + ".log", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    static int StartService(localservice::LocalService& service, const std::string& certificates) {
        if (const std::string error = service.Start(certificates); !error.empty()) {
            throw std::runtime_error("local service: " + error);
        }
        return service.Port();
    }

    platform::TempFolder temp_;
    platform::PosixFileSystem files_;
    platform::FileRegistry registry_;
    platform::SodiumSecretProtection secrets_;
    platform::ManualClock clock_;
    localservice::LocalService service_;
    int servicePort_;
    service::ScopedServiceEndpoint endpoint_;
    platform::CurlHttp http_;
    sim::SimOutlook outlook_;
    platform::ScopedPlatform platform_;
};

inline std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

}  // namespace sealwing::testing
