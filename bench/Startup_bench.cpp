// What Outlook's start-up waits for: OnConnection in the simulated Outlook 2010 against the local service, set
// against its anchor, one version-check request to the same service in the same run. Start-up must never wait on
// the network, so the ratio stays well below one however slow the service is.

#include <benchmark/benchmark.h>

#include <chrono>

#include "addin/SealwingAddin.h"
#include "bench/Timing.h"
#include "service/ServiceOperations.h"
#include "tests/OutlookWorld.h"

namespace {

using namespace sealwing;
using sealwing::bench::Clock;
using sealwing::bench::Seconds;

void BM_OnConnectionAgainstOneVersionRequest(benchmark::State& state) {
    testing::OutlookWorld world(14);
    world.Outlook().OpenExplorer();
    diagnostics::OpenThreadLog(L"Main");
    double connecting = 0;
    double requesting = 0;
    for (auto _ : state) {
        CSealwingAddin addin;
        const auto start = Clock::now();
        addin.OnConnection(world.Outlook().Application(), outlook::ext_cm_Startup);
        const auto connected = Clock::now();
        state.SetIterationTime(Seconds(connected - start));
        connecting += Seconds(connected - start);

        // Not measured: the check's outcome arrives, and the add-in goes.
        if (world.Outlook().Loop().WaitForWork(std::chrono::seconds(30))) world.Outlook().Loop().RunPending();
        addin.OnDisconnection(outlook::ext_dm_HostShutdown);

        service::VersionInfo version;
        const auto asked = Clock::now();
        benchmark::DoNotOptimize(service::CheckVersion(version));
        requesting += Seconds(Clock::now() - asked);
    }
    state.counters["request_ms"] = benchmark::Counter(requesting * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio_to_request"] = requesting > 0 ? connecting / requesting : 0;
}
BENCHMARK(BM_OnConnectionAgainstOneVersionRequest)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
