#include "tests/FaultMatrix.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string_view>
#include <vector>

#include "service/OutgoingMessage.h"
#include "service/RequestLimits.h"
#include "service/SendMessage.h"
#include "service/ServiceOperations.h"
#include "service/Transport.h"

namespace sealwing::testing {
namespace {

using service::ServiceResult;
using namespace std::chrono_literals;

// How long past its limit an operation may take to end: the limits bound each request, and an operation that makes
// none after a failure has nothing left to wait for. Generous, for the sanitizer builds and Wine.
constexpr auto kGrace = 5s;

struct Outcome {
    ServiceResult result = ServiceResult::Failed;
    std::wstring detail{};  // explanations or the error text, where the operation gives them
};

struct Operation {
    const char* name;
    const char* endpoint;  // as the seed names it
    std::function<Outcome()> run;
    bool posts = false;  // only a request with a body can lose its connection while the body is read
    bool givesDetail = false;
};

// What each operation makes of each failure. A 200 whose XML does not parse is a success that leaves the outputs at
// their starting values; the message upload reads statuses its own way and gives the user a text; the log report
// counts anything but a 200 as failure.
Outcome Expected(std::string_view operation, Failure failure) {
    const bool send = operation.starts_with("send");
    if (operation == "log report") {
        return {failure == Failure::MalformedXml ? ServiceResult::Success : ServiceResult::Failed};
    }
    switch (failure) {
        case Failure::Refused:
            return {ServiceResult::Failed, send ? L"Connection to Parcelon server failed." : L""};
        case Failure::Status401:
            return {ServiceResult::NotAuthorised, send ? L"" : L"Authentication required"};
        case Failure::Status404:
            return {send ? ServiceResult::Failed : ServiceResult::NotFound};
        case Failure::Status500:
            return {ServiceResult::Failed, send ? L"An unexpected error has occurred." : L""};
        case Failure::Explained400:
            return {ServiceResult::Failed, send ? L"Recipient unknown;Try again" : L"Recipient unknown|Try again"};
        case Failure::MalformedXml:
            return {ServiceResult::Success};
        default:
            return {ServiceResult::Failed};
    }
}

std::wstring Joined(const std::vector<std::wstring>& lines) {
    std::wstring joined;
    for (const auto& line : lines) joined += (joined.empty() ? L"" : L"|") + line;
    return joined;
}

Outcome Send(std::vector<service::OutgoingAttachment> attachments) {
    service::OutgoingMessage message;
    message.email = L"ann@example.com";
    message.subject = L"Budget";
    message.body = L"The budget.";
    message.recipients = L"bob@example.com";
    message.attachments = std::move(attachments);
    std::wstring error;
    const ServiceResult result = service::SendMessage(message, error);
    return {result, error};
}

std::vector<Operation> Operations(const std::wstring& session) {
    return {
        {"account check", "checkUser",
         [] {
             service::AccountStatus status;
             return Outcome{service::CheckAccount(L"ann@example.com", status)};
         }},
        {"login", "account",
         [] {
             service::AccountInfo info;
             return Outcome{service::Login(L"ann@example.com", info)};
         }},
        {"ping", "authStatus",
         [session] {
             bool alive = false;
             return Outcome{service::Ping(session, alive)};
         }},
        {"message download", "message",
         [] {
             service::SecureMessage message;
             std::vector<std::wstring> explanations;
             const ServiceResult result = service::DownloadMessage(L"m1", L"ann@example.com", message, explanations);
             return Outcome{result, Joined(explanations)};
         },
         false, true},
        {"version check", "version",
         [] {
             service::VersionInfo version;
             return Outcome{service::CheckVersion(version)};
         }},
        {"attachment download", "attachment",
         [] {
             const service::AttachmentDownload download =
                 service::DownloadAttachment(L"m1", L"a1", L"ann@example.com", {}, nullptr);
             return Outcome{download.result, Joined(download.explanations)};
         },
         false, true},
        {"send", "send", [] { return Send({}); }, true, true},
        // Larger than the sockets' buffers: the connection goes while the form is still being written.
        {"send with attachments", "send",
         [] { return Send({{.fileName = L"budget.xlsx", .bytes = std::string(4 << 20, 'B')}}); }, true, true},
        {"log report", "logReport",
         [] {
             const service::LogReportReply reply = service::SubmitLogReport("a log");
             return Outcome{reply.engineCode == 0 && reply.status == 200 ? ServiceResult::Success
                                                                         : ServiceResult::Failed};
         },
         true},
    };
}

}  // namespace

void RunFaultMatrix(const FaultMatrixService& service) {
    service.setFaults("");
    service::AccountInfo info;
    ASSERT_EQ(service::Login(L"ann@example.com", info), ServiceResult::Success);
    const service::ScopedRequestLimits limits(kShortLimits);
    for (const Operation& operation : Operations(info.session_id)) {
        for (const FailureCase& failure : kServiceFailures) {
            const bool aboutTheBody = failure.failure == Failure::ClosedBeforeRequestBody ||
                                      failure.failure == Failure::ClosedDuringRequestBody;
            if (aboutTheBody && !operation.posts) continue;
            SCOPED_TRACE(std::string(operation.name) + ", " + failure.name);
            std::unique_ptr<service::ScopedServiceEndpoint> refusing;
            if (failure.failure == Failure::Refused) {
                service.setFaults("");
                refusing = std::make_unique<service::ScopedServiceEndpoint>(service.refusingEndpoint());
            } else {
                service.setFaults(std::string("fault endpoint=") + operation.endpoint + " " + failure.fault + "\n");
            }
            const std::size_t threadsBefore = service.threadCount ? service.threadCount() : 0;
            const auto start = std::chrono::steady_clock::now();
            const Outcome outcome = operation.run();
            const auto took = std::chrono::steady_clock::now() - start;
            const Outcome expected = Expected(operation.name, failure.failure);
            EXPECT_EQ(outcome.result, expected.result);
            if (operation.givesDetail) {
                EXPECT_EQ(outcome.detail, expected.detail);
            }
            EXPECT_LT(took, kShortLimits.request.total + kGrace);
            if (service.threadCount) {
                EXPECT_EQ(service.threadCount(), threadsBefore);
            }
        }
    }
    service.setFaults("");
}

}  // namespace sealwing::testing
