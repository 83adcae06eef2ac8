// Every operation that talks to the service, against every way the service can fail it: each ends in its result
// within the request's limits (set short here), and none takes a failure for success. The request's connection may
// also go while a POST's body is being read.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "localservice/Faults.h"
#include "service/OutgoingMessage.h"
#include "service/RequestLimits.h"
#include "service/SendMessage.h"
#include "service/ServiceOperations.h"
#include "service/Transport.h"
#include "tests/LocalServiceTest.h"

namespace sealwing::service {
namespace {

using localservice::Drop;
using localservice::Endpoint;
using localservice::Fault;
using namespace std::chrono_literals;

constexpr auto kLimit = 400ms;
// How long past its limit an operation may take to end: the limits bound each request, and an operation that makes
// none after a failure has nothing left to wait for. Generous, for the sanitizer builds.
constexpr auto kGrace = 5s;

enum class Failure {
    Refused,
    ClosedBeforeRequestBody,
    ClosedDuringRequestBody,
    ClosedBeforeReply,
    ClosedDuringReply,
    Status401,
    Status404,
    Status500,
    Explained400,
    MalformedXml,
    Stall,
    Trickle
};

struct FailureCase {
    Failure failure;
    const char* name;
};

constexpr FailureCase kFailures[] = {
    {Failure::Refused, "refused connection"},
    {Failure::ClosedBeforeRequestBody, "connection closed before the request's body was read"},
    {Failure::ClosedDuringRequestBody, "connection closed with half the request's body read"},
    {Failure::ClosedBeforeReply, "connection closed after the request, before any reply byte"},
    {Failure::ClosedDuringReply, "connection closed in the middle of the reply"},
    {Failure::Status401, "401"},
    {Failure::Status404, "404"},
    {Failure::Status500, "500"},
    {Failure::Explained400, "400 with explanations"},
    {Failure::MalformedXml, "malformed XML with 200"},
    {Failure::Stall, "a reply held past the limits"},
    {Failure::Trickle, "a reply trickling a byte at a time"},
};

struct Outcome {
    ServiceResult result = ServiceResult::Failed;
    std::wstring detail{};  // explanations or the error text, where the operation gives them
};

struct Operation {
    const char* name;
    Endpoint endpoint;
    std::function<Outcome()> run;
    bool posts = false;  // only a request with a body can lose its connection while the body is read
};

// What each operation makes of each failure. A 200 whose XML does not parse is a success that leaves the outputs at
// their starting values; the message upload reads statuses its own way and gives the user a text; the log report
// counts anything but a 200 as failure.
Outcome Expected(std::string_view operation, Failure failure) {
    const bool send = operation.starts_with("send");
    if (operation == "log report")
        return {failure == Failure::MalformedXml ? ServiceResult::Success : ServiceResult::Failed};
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

// The operations that hand the service's explanations on: the others have nothing to compare.
bool GivesDetail(std::string_view operation) {
    return operation.starts_with("send") || operation == "message download" || operation == "attachment download";
}

std::wstring Joined(const std::vector<std::wstring>& lines) {
    std::wstring joined;
    for (const auto& line : lines) joined += (joined.empty() ? L"" : L"|") + line;
    return joined;
}

class FaultMatrixTest : public testing::LocalServiceTest {
protected:
    FaultMatrixTest() {
        CacheAnnsPassword();
        service_.State().SetVersion({.major = 1, .minor = 39});
        localservice::StoredMessage message;
        message.id = "m1";
        message.senderEmail = "carol@example.com";
        message.subject = "Contract";
        message.body = "<p>The contract.</p>";
        message.to = {"ann@example.com"};
        message.attachments = {{.id = "a1", .name = "contract.pdf", .content = "%PDF"}};
        service_.State().StoreMessage(std::move(message));
    }

    std::vector<Operation> Operations() {
        return {
            {"account check", Endpoint::CheckUser,
             [] {
                 AccountStatus status;
                 return Outcome{CheckAccount(L"ann@example.com", status)};
             }},
            {"login", Endpoint::Account,
             [] {
                 AccountInfo info;
                 return Outcome{Login(L"ann@example.com", info)};
             }},
            {"ping", Endpoint::AuthStatus,
             [this] {
                 bool alive = false;
                 return Outcome{Ping(session_, alive)};
             }},
            {"message download", Endpoint::Message,
             [] {
                 SecureMessage message;
                 std::vector<std::wstring> explanations;
                 const ServiceResult result = DownloadMessage(L"m1", L"ann@example.com", message, explanations);
                 return Outcome{result, Joined(explanations)};
             }},
            {"version check", Endpoint::Version,
             [] {
                 VersionInfo version;
                 return Outcome{CheckVersion(version)};
             }},
            {"attachment download", Endpoint::Attachment,
             [] {
                 const AttachmentDownload download = DownloadAttachment(L"m1", L"a1", L"ann@example.com", {}, nullptr);
                 return Outcome{download.result, Joined(download.explanations)};
             }},
            {"send", Endpoint::Send, [] { return Send({}); }, true},
            // Larger than the sockets' buffers: the connection goes while the form is still being written.
            {"send with attachments", Endpoint::Send,
             [] { return Send({{.fileName = L"budget.xlsx", .bytes = std::string(4 << 20, 'B')}}); }, true},
            {"log report", Endpoint::LogReport,
             [] {
                 const LogReportReply reply = SubmitLogReport("a log");
                 return Outcome{
                     reply.engineCode == 0 && reply.status == 200 ? ServiceResult::Success : ServiceResult::Failed,
                     L"engine " + std::to_wstring(reply.engineCode) + L", status " + std::to_wstring(reply.status)};
             },
             true},
        };
    }

    static Outcome Send(std::vector<OutgoingAttachment> attachments) {
        OutgoingMessage message;
        message.email = L"ann@example.com";
        message.subject = L"Budget";
        message.body = L"The budget.";
        message.recipients = L"bob@example.com";
        message.attachments = std::move(attachments);
        std::wstring error;
        const ServiceResult result = SendMessage(message, error);
        return Outcome{result, error};
    }

    // Makes the endpoint fail the next request as `failure` says; the returned object undoes what needs undoing.
    std::shared_ptr<void> Inject(Endpoint endpoint, Failure failure) {
        auto& faults = service_.Faults();
        switch (failure) {
            case Failure::Refused: {
                auto stopped = std::make_shared<localservice::LocalService>();
                if (!stopped->Start(temp_.Narrow() + "/stopped").empty()) return nullptr;
                const int port = stopped->Port();
                stopped->Stop();
                return std::make_shared<ScopedServiceEndpoint>(ServiceEndpoint{.host = "localhost", .port = port});
            }
            case Failure::ClosedBeforeRequestBody:
                faults.Set(endpoint, Fault{.drop = Drop::BeforeRequestBody});
                break;
            case Failure::ClosedDuringRequestBody:
                faults.Set(endpoint, Fault{.drop = Drop::DuringRequestBody});
                break;
            case Failure::ClosedBeforeReply:
                faults.Set(endpoint, Fault{.drop = Drop::BeforeReply});
                break;
            case Failure::ClosedDuringReply:
                faults.Set(endpoint, Fault{.drop = Drop::DuringBody});
                break;
            case Failure::Status401:
                faults.Set(endpoint, Fault{.status = 401});
                break;
            case Failure::Status404:
                faults.Set(endpoint, Fault{.status = 404});
                break;
            case Failure::Status500:
                faults.Set(endpoint, Fault{.status = 500});
                break;
            case Failure::Explained400:
                faults.Set(endpoint, Fault{.explanations = {"Recipient unknown", "Try again"}});
                break;
            case Failure::MalformedXml:
                faults.Set(endpoint, Fault{.status = 200, .body = "<account><pro>1</pro><session_id>s1"});
                break;
            case Failure::Stall: {
                const std::shared_ptr<localservice::Gate> gate = faults.Hold(endpoint);
                return std::shared_ptr<int>(new int(0), [gate](int* nothing) {
                    gate->Release();
                    delete nothing;
                });
            }
            case Failure::Trickle:
                faults.Set(endpoint, Fault{.chunkSize = 1, .chunkPause = 150ms});
                break;
        }
        return std::make_shared<int>(0);
    }

    std::wstring session_;
};

TEST_F(FaultMatrixTest, EveryOperationEndsInItsResultWithinItsLimitsWhateverTheServiceDoes) {
    AccountInfo info;
    ASSERT_EQ(Login(L"ann@example.com", info), ServiceResult::Success);
    session_ = info.session_id;
    const ScopedRequestLimits limits(
        RequestLimits{.request = {.total = kLimit}, .transfer = {.progressWindow = kLimit, .progressBytes = 64}});
    for (const Operation& operation : Operations()) {
        for (const FailureCase& failure : kFailures) {
            const bool aboutTheBody = failure.failure == Failure::ClosedBeforeRequestBody ||
                                      failure.failure == Failure::ClosedDuringRequestBody;
            if (aboutTheBody && !operation.posts) continue;
            SCOPED_TRACE(std::string(operation.name) + ", " + failure.name);
            service_.Faults().ClearAll();
            const std::shared_ptr<void> injected = Inject(operation.endpoint, failure.failure);
            ASSERT_NE(injected, nullptr);
            const auto start = std::chrono::steady_clock::now();
            const Outcome outcome = operation.run();
            const auto took = std::chrono::steady_clock::now() - start;
            const Outcome expected = Expected(operation.name, failure.failure);
            EXPECT_EQ(outcome.result, expected.result);
            if (GivesDetail(operation.name)) {
                EXPECT_EQ(outcome.detail, expected.detail);
            }
            EXPECT_LT(took, kLimit + kGrace);
        }
    }
}

}  // namespace
}  // namespace sealwing::service
