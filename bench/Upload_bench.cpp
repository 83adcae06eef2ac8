// Sending a message through the send queue's worker, set against its anchor: curl posting the same message to the
// same local service over the same TLS in the same run. With attachments the add-in posts a form through the HTTP
// engine, the anchor is curl -F with the parts in files; without attachments the add-in writes the form's body
// itself, the anchor is curl --data-binary with that body. The ratio is the add-in's throughput over curl's (at least
// 0.9 is the goal).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/LocalServiceCurl.h"
#include "bench/Timing.h"
#include "compose/Shipper.h"
#include "platform/Text.h"
#include "platform/posix/TempFolder.h"
#include "service/MultipartForm.h"
#include "settings/PasswordCache.h"
#include "tests/OutlookWorld.h"

namespace {

using namespace sealwing;
using sealwing::bench::Clock;
using sealwing::bench::Seconds;

using sealwing::bench::kMiB;

class UploadWorld {
public:
    UploadWorld() {
        diagnostics::OpenThreadLog(L"Main");
        world_.Service().State().AddAccount(
            {.email = "ann@example.com", .password = "pw", .maxMessagesPerDay = 1000000});
        settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"pw");
    }

    static service::OutgoingMessage Message(std::wstring body) {
        service::OutgoingMessage message;
        message.email = L"ann@example.com";
        message.recipients = L"bob@example.com";
        message.subject = L"Budget";
        message.body = std::move(body);
        return message;
    }

    // The add-in's send of one message through the queue's worker; false when it failed.
    bool Send(service::OutgoingMessage message) {
        bool sent = false;
        compose::Shipper shipper([&sent](compose::SendCompletion& completion) {
            sent = completion.result == service::ServiceResult::Success;
        });
        if (!shipper.Enqueue(std::move(message))) return false;
        if (!world_.Outlook().Loop().WaitForWork(std::chrono::minutes(2))) return false;
        world_.Outlook().Loop().RunPending();
        return sent && shipper.WaitUntilIdle(std::chrono::minutes(2));
    }

    // Writes the bytes to a file in the bench's folder and gives its path.
    std::string File(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path path = std::filesystem::path(folder_.Narrow()) / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    // curl posting to the message endpoint with these arguments; false when it failed.
    bool Curl(const std::string& arguments) {
        return bench::RunCurl(world_.Service(), "--output /dev/null " + arguments, "rest/message.xml");
    }

private:
    testing::OutlookWorld world_{14};
    platform::TempFolder folder_;
};

void Report(benchmark::State& state, std::size_t bytes, double own, double curl) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    state.counters["curl_ms"] = benchmark::Counter(curl * 1000, benchmark::Counter::kAvgIterations);
    state.counters["throughput_ratio_to_curl"] = own > 0 ? curl / own : 0;
}

// 20 attachments of 2 MB: the form through the HTTP engine, against curl -F.
void BM_SendWithAttachmentsAgainstCurlForm(benchmark::State& state) {
    const int parts = static_cast<int>(state.range(0));
    const std::size_t partBytes = static_cast<std::size_t>(state.range(1)) * kMiB;
    UploadWorld world;
    std::vector<service::OutgoingAttachment> attachments;
    std::string curlParts = "-F message=Hello -F email=ann@example.com -F recipients=bob@example.com -F subject=Budget";
    for (int index = 0; index < parts; ++index) {
        const std::string name = "part" + std::to_string(index) + ".bin";
        std::string bytes(partBytes, static_cast<char>('a' + index % 26));
        curlParts +=
            " -F '" + std::to_string(index) + "=@" + world.File(name, bytes) + ";type=application/octet-stream'";
        attachments.push_back({.fileName = platform::WideFromUtf8(name), .bytes = std::move(bytes)});
    }
    double own = 0;
    double curl = 0;
    for (auto _ : state) {
        service::OutgoingMessage message = UploadWorld::Message(L"Hello");
        message.attachments = attachments;  // not timed: the record as Send Secure hands it over
        const auto start = Clock::now();
        if (!world.Send(std::move(message))) state.SkipWithError("the add-in's send failed");
        const auto sent = Clock::now();
        if (!world.Curl(curlParts)) state.SkipWithError("curl's post failed");
        own += Seconds(sent - start);
        curl += Seconds(Clock::now() - sent);
        state.SetIterationTime(Seconds(sent - start));
    }
    Report(state, parts * partBytes, own, curl);
}
BENCHMARK(BM_SendWithAttachmentsAgainstCurlForm)
    ->Args({20, 2})
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A large body without attachments: the add-in's own form writer, against curl --data-binary posting that form.
void BM_SendLargeBodyAgainstCurlDataBinary(benchmark::State& state) {
    const std::size_t bodyBytes = static_cast<std::size_t>(state.range(0)) * kMiB;
    UploadWorld world;
    const std::wstring body(bodyBytes, L'x');
    service::MultipartForm form;
    form.Begin();
    form.AddField(L"message", body);
    form.AddField(L"email", L"ann@example.com");
    form.AddField(L"recipients", L"bob@example.com");
    form.AddField(L"subject", L"Budget");
    form.Finish();
    const std::string curlBody = "--data-binary '@" + world.File("body.form", form.Body()) +
                                 "' --header 'Content-Type: multipart/form-data; boundary=" + form.Boundary() + "'";
    double own = 0;
    double curl = 0;
    for (auto _ : state) {
        service::OutgoingMessage message = UploadWorld::Message(body);  // not timed, as above
        const auto start = Clock::now();
        if (!world.Send(std::move(message))) state.SkipWithError("the add-in's send failed");
        const auto sent = Clock::now();
        if (!world.Curl(curlBody)) state.SkipWithError("curl's post failed");
        own += Seconds(sent - start);
        curl += Seconds(Clock::now() - sent);
        state.SetIterationTime(Seconds(sent - start));
    }
    Report(state, bodyBytes, own, curl);
}
BENCHMARK(BM_SendLargeBodyAgainstCurlDataBinary)
    ->Arg(16)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
