// Fetching an attachment to its file, set against its anchor: curl -o fetching the same bytes from the same local
// service over the same TLS in the same run. The ratio is the add-in's throughput over curl's (at least 0.9 is the
// goal). The download goes to the file as it arrives, so the memory it needs must not grow with the attachment.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/LocalServiceCurl.h"
#include "bench/Timing.h"
#include "bench/posix/PeakMemory.h"
#include "platform/Text.h"
#include "platform/posix/TempFolder.h"
#include "service/ServiceOperations.h"
#include "settings/PasswordCache.h"
#include "tests/OutlookWorld.h"

namespace {

using namespace sealwing;
using sealwing::bench::Clock;
using sealwing::bench::Seconds;

using sealwing::bench::kMiB;

// A service holding message "m1" with one large attachment, and a user whose password is cached.
class DownloadWorld {
public:
    explicit DownloadWorld(std::size_t bytes) {
        diagnostics::OpenThreadLog(L"Main");
        world_.Service().State().AddAccount({.email = "ann@example.com", .password = "pw"});
        settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"pw");
        localservice::StoredMessage message;
        message.id = "m1";
        message.senderEmail = "carol@example.com";
        message.to = {"ann@example.com"};
        message.attachments = {{.id = "large", .name = "large.bin", .content = std::string(bytes, 'L')}};
        world_.Service().State().StoreMessage(std::move(message));
    }

    // The add-in's download of one attachment to a file; false when it failed.
    bool Fetch(const char* attachment) {
        const std::filesystem::path file = std::filesystem::path(folder_.Narrow()) / "own.bin";
        std::filesystem::remove(file);
        const service::AttachmentFileDownload download =
            service::DownloadAttachmentToFile(L"m1", platform::WideFromUtf8(attachment), L"ann@example.com",
                                              platform::WideFromUtf8(file.string()), {}, nullptr);
        return download.result == service::ServiceResult::Success;
    }

    // curl -o fetching the same attachment from the same service; false when it failed.
    bool FetchWithCurl(const char* attachment) {
        const std::string file = folder_.Narrow() + "/curl.bin";
        return bench::RunCurl(world_.Service(), "--output '" + file + "'",
                              std::string("rest/attachment/m1/") + attachment + ".xml");
    }

private:
    testing::OutlookWorld world_{14};
    platform::TempFolder folder_;
};

void BM_AttachmentDownloadAgainstCurl(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0)) * kMiB;
    DownloadWorld world(bytes);
    double own = 0;
    double curl = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        if (!world.Fetch("large")) state.SkipWithError("the add-in's download failed");
        const auto fetched = Clock::now();
        if (!world.FetchWithCurl("large")) state.SkipWithError("curl's download failed");
        own += Seconds(fetched - start);
        curl += Seconds(Clock::now() - fetched);
        state.SetIterationTime(Seconds(fetched - start));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["curl_ms"] = benchmark::Counter(curl * 1000, benchmark::Counter::kAvgIterations);
    state.counters["throughput_ratio_to_curl"] = own > 0 ? curl / own : 0;
}
BENCHMARK(BM_AttachmentDownloadAgainstCurl)->Arg(40)->UseManualTime()->Unit(benchmark::kMillisecond);

// The peak resident memory the download of a large attachment adds, against the attachment's size: near 0 when the
// download goes to its file as it arrives, 1 or more when it is held whole anywhere on the way.
void BM_AttachmentDownloadPeakMemory(benchmark::State& state) {
    const auto bytes = static_cast<std::size_t>(state.range(0)) * kMiB;
    DownloadWorld world(bytes);
    const double before = bench::PeakResidentMiB();
    for (auto _ : state) {
        if (!world.Fetch("large")) state.SkipWithError("the add-in's download failed");
    }
    const double gained = bench::PeakResidentMiB() - before;
    state.counters["peak_gain_MiB"] = gained;
    state.counters["peak_gain_over_attachment"] = gained / static_cast<double>(state.range(0));
}
BENCHMARK(BM_AttachmentDownloadPeakMemory)->Arg(40)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
