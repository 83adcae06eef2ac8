// sealwing_upload_memory: the memory a send with large attachments needs. The message's record is built from the
// attachments' bytes held in memory, moved into the send queue, and sent by its worker to the local service, which
// runs in a child process so that only the add-in's side is measured. Prints the payload, the program's peak resident
// memory before the record was built (its baseline) and after the send, and the ratio
// (peak - baseline) / payload: 1 when the bytes are held once, about 2 for each copy on the way (at most 1.25 is the
// goal).
//
//   sealwing_upload_memory [attachments] [MiB each]     (default: 20 attachments of 2 MiB)

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/posix/PeakMemory.h"
#include "compose/Shipper.h"
#include "localservice/LocalService.h"
#include "platform/Text.h"
#include "platform/posix/TempFolder.h"
#include "settings/PasswordCache.h"
#include "tests/OutlookWorld.h"

namespace {

using namespace sealwing;

struct ServiceProcess {
    pid_t pid = -1;
    int keepAlive = -1;  // the child serves until this end closes
    testing::ExternalService service;
};

// Forks the local service. Called before this process starts any thread, so the child inherits no lock held by one.
bool StartServiceProcess(const std::string& certificates, ServiceProcess& process) {
    int ready[2];
    int alive[2];
    if (::pipe(ready) != 0 || ::pipe(alive) != 0) return false;
    process.pid = ::fork();
    if (process.pid < 0) return false;
    if (process.pid == 0) {
        ::close(ready[0]);
        ::close(alive[1]);
        localservice::LocalService service;
        std::string report = service.Start(certificates).empty()
                                 ? std::to_string(service.Port()) + "\n" + service.CaFile().string()
                                 : std::string("0\n");
        service.State().AddAccount({.email = "ann@example.com", .password = "pw", .maxMessagesPerDay = 1000});
        if (::write(ready[1], report.data(), report.size()) != static_cast<ssize_t>(report.size())) ::_exit(1);
        ::close(ready[1]);
        char byte = 0;
        while (::read(alive[0], &byte, 1) > 0) {
        }
        service.Stop();
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(alive[0]);
    process.keepAlive = alive[1];
    std::string report;
    char buffer[512];
    for (ssize_t got; (got = ::read(ready[0], buffer, sizeof buffer)) > 0;) report.append(buffer, got);
    ::close(ready[0]);
    const std::size_t newline = report.find('\n');
    if (newline == std::string::npos) return false;
    process.service = {.port = std::atoi(report.substr(0, newline).c_str()), .caFile = report.substr(newline + 1)};
    return process.service.port > 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int attachments = argc > 1 ? std::atoi(argv[1]) : 20;
    const int mebibytes = argc > 2 ? std::atoi(argv[2]) : 2;
    if (attachments <= 0 || mebibytes <= 0) {
        std::fprintf(stderr, "usage: sealwing_upload_memory [attachments] [MiB each]\n");
        return 2;
    }
    const platform::TempFolder temp;
    ServiceProcess process;
    if (!StartServiceProcess(temp.Narrow() + "/certificates", process)) {
        std::fprintf(stderr, "sealwing_upload_memory: the local service did not start\n");
        return 1;
    }

    bool sent = false;
    double baseline = 0;
    double peak = 0;
    const double payload = static_cast<double>(attachments) * mebibytes;
    {
        testing::OutlookWorld world(14, process.service);
        diagnostics::OpenThreadLog(L"Main");
        settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"pw");
        compose::Shipper shipper([&sent](compose::SendCompletion& completion) {
            sent = completion.result == service::ServiceResult::Success;
        });
        baseline = bench::PeakResidentMiB();

        service::OutgoingMessage message;
        message.email = L"ann@example.com";
        message.recipients = L"bob@example.com";
        message.subject = L"Budget";
        message.body = L"Hello";
        for (int index = 0; index < attachments; ++index) {
            message.attachments.push_back(
                {.fileName = L"part" + std::to_wstring(index) + L".bin",
                 .bytes = std::string(static_cast<std::size_t>(mebibytes) << 20, static_cast<char>('a' + index % 26))});
        }
        if (shipper.Enqueue(std::move(message)) && world.Outlook().Loop().WaitForWork(std::chrono::minutes(2))) {
            world.Outlook().Loop().RunPending();
        }
        shipper.WaitUntilIdle(std::chrono::minutes(2));
        peak = bench::PeakResidentMiB();
    }
    ::close(process.keepAlive);
    ::waitpid(process.pid, nullptr, 0);

    std::printf("payload_MiB=%.1f baseline_MiB=%.1f peak_MiB=%.1f peak_gain_over_payload=%.3f sent=%s\n", payload,
                baseline, peak, (peak - baseline) / payload, sent ? "yes" : "no");
    return sent ? 0 : 1;
}
