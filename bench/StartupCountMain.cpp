// sealwing_startup_count fast|unreachable|stalled: the add-in's start in the simulated Outlook 2010 with three main
// windows, three compose windows and five accounts, against a local service that answers at once, a port that refuses
// connections, or a service that holds every request. Start-up must never wait on the network (the version check
// runs behind it), so OnConnection does the same work in all three. Under callgrind with
// --toggle-collect='*CSealwingAddin::OnConnection*' the instructions counted are OnConnection's on Outlook's thread;
// scripts/bench.sh compares the three counts. The program also prints OnConnection's wall time.

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "addin/SealwingAddin.h"
#include "localservice/LocalService.h"
#include "platform/posix/TempFolder.h"
#include "sim/SimMailItem.h"
#include "tests/OutlookWorld.h"

namespace {

using namespace sealwing;

enum class ServiceMode { Fast, Unreachable, Stalled };

bool ModeNamed(const std::string& name, ServiceMode& mode) {
    if (name == "fast") mode = ServiceMode::Fast;
    if (name == "unreachable") mode = ServiceMode::Unreachable;
    if (name == "stalled") mode = ServiceMode::Stalled;
    return name == "fast" || name == "unreachable" || name == "stalled";
}

}  // namespace

int main(int argc, char** argv) {
    ServiceMode mode = ServiceMode::Fast;
    if (argc != 2 || !ModeNamed(argv[1], mode)) {
        std::fprintf(stderr, "usage: sealwing_startup_count fast|unreachable|stalled\n");
        return 2;
    }
    testing::OutlookWorld world(14);
    auto& outlook = world.Outlook();
    for (int window = 0; window < 3; ++window) outlook.OpenExplorer();
    for (int window = 0; window < 3; ++window) outlook.OpenInspector(outlook.CreateMailItem());
    outlook.AddAccount({.type = outlook::olExchange, .displayName = L"Work", .smtpAddress = L"ann@example.com"});
    for (const wchar_t* name : {L"home", L"club", L"school", L"shop"}) {
        outlook.AddAccount(
            {.type = outlook::olPop3, .displayName = name, .smtpAddress = std::wstring(L"ann@") + name + L".example"});
    }

    const platform::TempFolder temp;
    localservice::LocalService refusing;
    std::unique_ptr<service::ScopedServiceEndpoint> unreachable;
    std::vector<std::shared_ptr<localservice::Gate>> held;
    if (mode == ServiceMode::Unreachable) {
        if (!refusing.Start(temp.Narrow() + "/refusing").empty()) return 1;
        const int port = refusing.Port();
        refusing.Stop();
        unreachable = std::make_unique<service::ScopedServiceEndpoint>(
            service::ServiceEndpoint{.host = "localhost", .port = port});
    } else if (mode == ServiceMode::Stalled) {
        for (int endpoint = 0; endpoint < static_cast<int>(localservice::Endpoint::Unknown); ++endpoint) {
            held.push_back(world.Service().Faults().Hold(static_cast<localservice::Endpoint>(endpoint)));
        }
    }

    CSealwingAddin addin;
    const auto start = std::chrono::steady_clock::now();
    const outlook::HResult connected = addin.OnConnection(outlook.Application(), outlook::ext_cm_Startup);
    const auto took = std::chrono::steady_clock::now() - start;
    addin.OnDisconnection(outlook::ext_dm_HostShutdown);
    for (const auto& gate : held) gate->Release();

    std::printf("mode=%s connected=%d on_connection_ms=%.3f\n", argv[1], connected == 0 ? 1 : 0,
                std::chrono::duration<double, std::milli>(took).count());
    return connected == 0 ? 0 : 1;
}
