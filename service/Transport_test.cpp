#include "service/Transport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <vector>

#include "diagnostics/Log.h"
#include "localservice/Multipart.h"
#include "localservice/SilentListener.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/Threads.h"
#include "platform/posix/CurlHttp.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TempFolder.h"
#include "service/MultipartForm.h"
#include "service/RequestLimits.h"
#include "service/TransportEndpoint.h"
#include "settings/PasswordCache.h"
#include "tests/FormParts.h"
#include "tests/LocalServiceTest.h"

namespace sealwing::service {
namespace {

using testing::kAnnPassword;
using testing::kAnnPasswordUtf8;

using localservice::Endpoint;
using localservice::Fault;
using namespace std::chrono_literals;

constexpr const char* kVersionPath = "downloads/outlook-add-in/version.xml";
constexpr const char* kLoginPath = "rest/account.xml?init_session=1";

class TransportTest : public testing::LocalServiceTest {};

using sealwing::testing::MessageParts;

TEST_F(TransportTest, AUserWithoutCachedPasswordContactsNobodyAndReads401) {
    const std::vector<TransportReply> replies = {
        HttpGet(kLoginPath, L"ann@example.com"),
        HttpPostMultipart("body", MultipartForm::kBoundary, L"ann@example.com"),
        PostMessageForm(MessageParts(), L"ann@example.com"),
    };
    for (const TransportReply& reply : replies) {
        EXPECT_EQ(reply.error, 0U);
        EXPECT_EQ(reply.status, 401U);
        EXPECT_EQ(reply.body, "");
    }
    EXPECT_EQ(service_.Requests().Count(), 0U);
}

TEST_F(TransportTest, StatusesAndReplyTextReachTheCaller) {
    for (const int status : {200, 401, 404, 500}) {
        const std::string text = "reply for " + std::to_string(status);
        service_.Faults().Set(Endpoint::Version, Fault{.status = status, .body = text});
        const TransportReply reply = HttpGet(kVersionPath, L"");
        EXPECT_EQ(reply.error, 0U) << status;
        EXPECT_EQ(reply.status, static_cast<std::uint32_t>(status));
        EXPECT_EQ(reply.body, text);
    }
}

TEST_F(TransportTest, AnonymousGetSendsNoCredentialsAndNamesTheUserAgent) {
    ASSERT_EQ(HttpGet(kVersionPath, L"").status, 200U);
    const auto requests = service_.Requests().All();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].target, std::string("/") + kVersionPath);
    EXPECT_FALSE(requests[0].Header("Authorization"));
    EXPECT_EQ(requests[0].Header("User-Agent"), std::optional<std::string>(kUserAgent));
}

// The system HTTP service names no accept types and speaks HTTP/1.1; the Linux engine sends the same requests.
TEST_F(TransportTest, EveryRequestNamesNoAcceptTypes) {
    CacheAnnsPassword();
    HttpGet(kVersionPath, L"");
    HttpPostMultipart("body", MultipartForm::kBoundary, L"ann@example.com");
    PostMessageForm(MessageParts(), L"ann@example.com");
    PostLogReportForm({{.name = "data", .bytes = "log"}});
    const auto requests = service_.Requests().All();
    ASSERT_EQ(requests.size(), 4U);
    for (const auto& request : requests) {
        EXPECT_FALSE(request.Header("Accept")) << request.method << " " << request.target;
    }
}

TEST_F(TransportTest, AChunkedReplyArrivesWholeWithOneProgressCallPerChunkAndAFinalZero) {
    const std::string whole = HttpGet(kVersionPath, L"").body;
    ASSERT_GT(whole.size(), 20U);
    service_.Faults().Set(Endpoint::Version, Fault{.chunkSize = 5});
    std::vector<std::size_t> progress;
    platform::Event cancel(platform::Event::Reset::Manual);
    const TransportReply reply = HttpGet(
        kVersionPath, L"", [&](std::size_t bytes) { progress.push_back(bytes); }, &cancel);
    EXPECT_EQ(reply.error, 0U);
    EXPECT_EQ(reply.body, whole);
    ASSERT_GE(progress.size(), 2U);
    EXPECT_EQ(progress.back(), 0U);
    std::size_t sum = 0;
    for (const std::size_t bytes : progress) sum += bytes;
    EXPECT_EQ(sum, whole.size());
}

// A download streams: the sink takes each chunk of a 200 reply as it arrives, after its progress call, while an error
// reply's text stays in the reply for its explanations, and a refused chunk ends the request.
TEST_F(TransportTest, ASinkTakesA200BodyChunkByChunkAndLeavesAnErrorReplyInTheReply) {
    const std::string whole = HttpGet(kVersionPath, L"").body;
    service_.Faults().Set(Endpoint::Version, Fault{.chunkSize = 5});
    std::vector<std::string> events;
    std::string streamed;
    const auto progress = [&](std::size_t bytes) { events.push_back("progress " + std::to_string(bytes)); };
    const auto sink = [&](std::string_view chunk) {
        events.push_back("chunk " + std::to_string(chunk.size()));
        streamed += chunk;
        return true;
    };
    const TransportReply streamedReply = HttpGet(kVersionPath, L"", progress, nullptr, sink);
    EXPECT_EQ(streamedReply.error, 0U);
    EXPECT_EQ(streamedReply.status, 200U);
    EXPECT_EQ(streamedReply.body, "");
    EXPECT_EQ(streamed, whole);
    ASSERT_GE(events.size(), 3U);
    for (std::size_t at = 0; at + 1 < events.size(); at += 2) {
        EXPECT_EQ(events[at + 1], "chunk " + events[at].substr(std::string("progress ").size())) << at;
    }
    EXPECT_EQ(events.back(), "progress 0");

    streamed.clear();
    service_.Faults().Set(Endpoint::Version, Fault{.status = 404, .body = "<error><e1>gone</e1></error>"});
    const TransportReply missing = HttpGet(kVersionPath, L"", progress, nullptr, sink);
    EXPECT_EQ(missing.status, 404U);
    EXPECT_EQ(missing.body, "<error><e1>gone</e1></error>");
    EXPECT_EQ(streamed, "");

    service_.Faults().Set(Endpoint::Version, Fault{.chunkSize = 5});
    int offered = 0;
    const TransportReply refused = HttpGet(kVersionPath, L"", {}, nullptr, [&](std::string_view) {
        ++offered;
        return offered < 2;
    });
    EXPECT_EQ(refused.error, platform::kHttpSinkFailed);
    EXPECT_EQ(offered, 2) << "nothing is offered after a refusal";
}

TEST_F(TransportTest, ACancelBeforeTheFirstChunkEndsTheGetWith12017) {
    const std::shared_ptr<localservice::Gate> gate = service_.Faults().Hold(Endpoint::Version);
    platform::Event cancel(platform::Event::Reset::Manual);
    int progressCalls = 0;
    auto pending = std::async(std::launch::async, [&] {
        return HttpGet(
            kVersionPath, L"", [&](std::size_t) { ++progressCalls; }, &cancel);
    });
    ASSERT_TRUE(service_.Requests().WaitForCount(1, 30s));
    cancel.Set();
    const TransportReply reply = pending.get();
    gate->Release();
    EXPECT_EQ(reply.error, platform::kHttpCancelled);
    EXPECT_LE(progressCalls, 1);
}

// A cancel is seen while the request waits for its reply, not only between chunks: the GET ends while the service
// still holds the reply.
// A cancel is seen while the reply is held, not only between chunks: a GET the user stops and an upload the send
// queue's shutdown stops both end at once.
TEST_F(TransportTest, ACancelWhileTheReplyIsHeldEndsTheRequestAtOnce) {
    CacheAnnsPassword();
    struct Case {
        const char* name;
        Endpoint endpoint;
        std::function<TransportReply(platform::Event*)> request;
        std::uint32_t error;
    };
    const Case cases[] = {
        {"get", Endpoint::Version, [](platform::Event* cancel) { return HttpGet(kVersionPath, L"", {}, cancel); },
         platform::kHttpCancelled},
        {"post", Endpoint::Send,
         [](platform::Event* cancel) {
             return HttpPostMultipart("body", MultipartForm::kBoundary, L"ann@example.com", cancel);
         },
         platform::kHttpCancelled},
        {"form", Endpoint::Send,
         [](platform::Event* cancel) { return PostMessageForm(MessageParts(), L"ann@example.com", cancel); },
         platform::kHttpFormPostFailed},
    };
    for (const Case& c : cases) {
        const std::shared_ptr<localservice::Gate> gate = service_.Faults().Hold(c.endpoint);
        const std::size_t before = service_.Requests().Count();
        platform::Event cancel(platform::Event::Reset::Manual);
        auto pending = std::async(std::launch::async, [&] { return c.request(&cancel); });
        ASSERT_TRUE(service_.Requests().WaitForCount(before + 1, 30s)) << c.name;
        cancel.Set();
        const TransportReply reply = pending.get();
        EXPECT_FALSE(gate->Released()) << c.name;
        gate->Release();
        service_.Faults().ClearAll();
        EXPECT_EQ(reply.error, c.error) << c.name;
    }
}

// No service, however it stalls, holds a request past its limits; a transfer that keeps moving is not cut.
TEST_F(TransportTest, EveryRequestEndsAtItsLimits) {
    using namespace std::chrono;
    const ScopedRequestLimits limits(
        RequestLimits{.request = {.total = 400ms}, .transfer = {.progressWindow = 400ms, .progressBytes = 1}});
    CacheAnnsPassword();
    const std::shared_ptr<localservice::Gate> held = service_.Faults().Hold(Endpoint::Version);
    EXPECT_EQ(HttpGet(kVersionPath, L"").error, platform::kHttpTimedOut) << "TLS accepted, then silence";
    held->Release();
    service_.Faults().ClearAll();

    const Fault trickle{.chunkSize = 1, .chunkPause = 40ms};
    service_.Faults().Set(Endpoint::Version, trickle);
    const TransportReply trickled = HttpGet(kVersionPath, L"");
    EXPECT_EQ(trickled.error, platform::kHttpTimedOut) << "a reply trickling a byte at a time";
    EXPECT_GT(trickled.body.size(), 0U) << "the bytes read so far are kept";

    // A download the user watches moves a byte every 40 ms: it is slow but never stalls, so it completes.
    service_.Faults().Set(Endpoint::Version, Fault{.chunkSize = 40, .chunkPause = 40ms});
    const TransportReply download = HttpGet(kVersionPath, L"", [](std::size_t) {});
    EXPECT_EQ(download.error, 0U);
    EXPECT_EQ(download.status, 200U);
    // The upload's reply never comes: the transfer stops moving and ends at its window.
    const std::shared_ptr<localservice::Gate> upload = service_.Faults().Hold(Endpoint::Send);
    EXPECT_EQ(HttpPostMultipart("body", MultipartForm::kBoundary, L"ann@example.com").error, platform::kHttpTimedOut);
    EXPECT_EQ(PostMessageForm(MessageParts(), L"ann@example.com").error, platform::kHttpFormPostFailed);
    upload->Release();

    localservice::SilentListener silent;
    ASSERT_NE(silent.Start(), 0);
    ScopedServiceEndpoint mute(ServiceEndpoint{.host = "localhost", .port = silent.Port()});
    EXPECT_EQ(HttpGet(kVersionPath, L"").error, platform::kHttpTimedOut) << "TCP accepted, no TLS";
    EXPECT_NE(PostLogReportForm({{.name = "data", .bytes = "log"}}).engineCode, 0);
    EXPECT_GE(silent.Accepted(), 2);
}

TEST_F(TransportTest, ARefusedConnectionGives12029OnEveryPathAndTheEngineCodeToTheLogReport) {
    localservice::LocalService stopped;
    ASSERT_EQ(stopped.Start(temp_.Narrow() + "/stopped"), "");
    const int port = stopped.Port();
    stopped.Stop();
    ScopedServiceEndpoint nobody(ServiceEndpoint{.host = "localhost", .port = port});
    CacheAnnsPassword();

    EXPECT_EQ(HttpGet(kVersionPath, L"").error, platform::kHttpCannotConnect);
    EXPECT_EQ(HttpPostMultipart("body", MultipartForm::kBoundary, L"ann@example.com").error,
              platform::kHttpCannotConnect);
    EXPECT_EQ(PostMessageForm(MessageParts(), L"ann@example.com").error, platform::kHttpCannotConnect);
    const LogReportReply report = PostLogReportForm({{.name = "data", .bytes = "log"}});
    EXPECT_EQ(report.engineCode, platform::kFormEngineCannotConnect);
    EXPECT_EQ(report.status, 0U);
}

TEST_F(TransportTest, AnUntrustedCertificateFailsBeforeAnyCredentialLeaves) {
    platform::CurlHttp systemRootsOnly{platform::CurlHttp::Options{}};
    platform::ScopedPlatform untrusting{platform::Platform{.http = &systemRootsOnly}};
    CacheAnnsPassword();

    const TransportReply get = HttpGet(kLoginPath, L"ann@example.com");
    const TransportReply post = HttpPostMultipart("body", MultipartForm::kBoundary, L"ann@example.com");
    const TransportReply form = PostMessageForm(MessageParts(), L"ann@example.com");
    for (const TransportReply& reply : {get, post, form}) {
        EXPECT_NE(reply.error, 0U);
        EXPECT_EQ(reply.status, 0U);
    }
    EXPECT_EQ(service_.Requests().Count(), 0U);
}

// 127.0.0.1 reaches the service, but its certificate names "localhost" alone: a trusted certificate for another host
// must fail just as an untrusted one does.
TEST_F(TransportTest, ATrustedCertificateForAnotherHostFailsBeforeAnythingIsSent) {
    const ScopedServiceEndpoint otherName(ServiceEndpoint{.host = "127.0.0.1", .port = service_.Port()});
    CacheAnnsPassword();

    const TransportReply get = HttpGet(kLoginPath, L"ann@example.com");
    const TransportReply post = HttpPostMultipart("body", MultipartForm::kBoundary, L"ann@example.com");
    const TransportReply form = PostMessageForm(MessageParts(), L"ann@example.com");
    EXPECT_EQ(get.error, 12175U);
    EXPECT_EQ(post.error, 12175U);
    EXPECT_EQ(form.error, platform::kHttpFormPostFailed);
    for (const TransportReply& reply : {get, post, form}) EXPECT_EQ(reply.status, 0U);
    EXPECT_EQ(service_.Requests().Count(), 0U);
}

TEST_F(TransportTest, BasicCredentialsAreSentAsUtf8) {
    CacheAnnsPassword();
    const TransportReply reply = HttpGet(kLoginPath, L"ann@example.com");
    EXPECT_EQ(reply.error, 0U);
    EXPECT_EQ(reply.status, 200U) << reply.body;
    ASSERT_EQ(service_.Requests().Count(), 1U);
    EXPECT_EQ(service_.Requests().All()[0].Header("Authorization"),
              std::optional<std::string>("Basic YW5uQGV4YW1wbGUuY29tOnDDpOKCrHNz"));
}

TEST_F(TransportTest, TheOwnWritersBodyArrivesByteForByte) {
    CacheAnnsPassword();
    MultipartForm form;
    form.Begin();
    form.AddField(L"message", L"Hello \u00E4");
    form.AddField(L"email", L"ann@example.com");
    form.AddField(L"recipients", L"bob@example.com");
    form.AddField(L"subject", L"Q3");
    form.Finish();

    const TransportReply reply = HttpPostMultipart(form.Body(), form.Boundary(), L"ann@example.com");
    EXPECT_EQ(reply.error, 0U);
    EXPECT_EQ(reply.status, 200U) << reply.body;
    ASSERT_EQ(service_.Requests().Count(), 1U);
    const localservice::RecordedRequest request = service_.Requests().All()[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, std::string("/") + kMessagePath);
    EXPECT_EQ(request.body, form.Body());
    EXPECT_EQ(request.Header("Content-Type"), std::optional<std::string>(form.ContentTypeValue()));
    EXPECT_EQ(request.Header("User-Agent"), std::optional<std::string>(kUserAgent));
}

TEST_F(TransportTest, AFormPostWithFilesIsParsedBackByTheService) {
    CacheAnnsPassword();
    const std::vector<platform::HttpFormPart> parts = MessageParts();
    const TransportReply reply = PostMessageForm(parts, L"ann@example.com");
    EXPECT_EQ(reply.error, 0U);
    EXPECT_EQ(reply.status, 200U) << reply.body;

    const std::vector<localservice::StoredMessage> stored = service_.State().Messages();
    ASSERT_EQ(stored.size(), 1U);
    const std::vector<localservice::FormPart>& received = stored[0].form;
    ASSERT_EQ(received.size(), parts.size());
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(received[i].name, parts[i].name);
        EXPECT_EQ(received[i].content, parts[i].bytes) << parts[i].name;
        EXPECT_EQ(received[i].isFile, parts[i].isFile);
        EXPECT_EQ(received[i].fileName, parts[i].fileName);
        EXPECT_EQ(received[i].contentType, parts[i].isFile ? "application/octet-stream" : "");
    }
}

TEST_F(TransportTest, NamesThatWouldBreakTheirQuotesReachTheServiceEncodedAndAddNothing) {
    CacheAnnsPassword();
    // After the message's own fields, which the service requires.
    std::vector<platform::HttpFormPart> parts = MessageParts();
    const std::size_t first = parts.size();
    const std::vector<sealwing::testing::HostileFormPart> hostile = sealwing::testing::HostileFormParts();
    for (const sealwing::testing::HostileFormPart& part : hostile) parts.push_back(part.part);
    const TransportReply reply = PostMessageForm(parts, L"ann@example.com");
    ASSERT_EQ(reply.status, 200U) << reply.body;

    const std::vector<localservice::StoredMessage> stored = service_.State().Messages();
    ASSERT_EQ(stored.size(), 1U);
    const std::vector<localservice::FormPart>& received = stored[0].form;
    ASSERT_EQ(received.size(), parts.size());
    for (std::size_t i = 0; i < parts.size() - first; ++i) {
        const sealwing::testing::HostileFormPart& sent = hostile[i];
        EXPECT_EQ(received[first + i].name, sent.nameSeen);
        EXPECT_EQ(received[first + i].fileName, sent.fileNameSeen);
        EXPECT_EQ(received[first + i].content, sent.part.bytes);
        EXPECT_EQ(received[first + i].contentType, sent.part.isFile ? "application/octet-stream" : "") << sent.nameSeen;
    }
}

// A request must not leave the thread's operation open while it waits, and must reopen it on every outcome.
TEST_F(TransportTest, TheOpenOperationIsSuspendedAcrossTheRequestAndResumedWithItsOutcome) {
    struct Case {
        const char* name;
        std::function<void()> request;
        std::string resumedWith;
    };
    platform::Event cancelled(platform::Event::Reset::Manual, true);
    const std::vector<Case> cases = {
        {"get", [] { HttpGet(kVersionPath, L""); }, "HTTP operation successfull in Transport.cpp"},
        {"cancelled get", [&] { HttpGet(kVersionPath, L"", {}, &cancelled); },
         "HTTP transport operation cancelled in Transport.cpp"},
        {"post", [] { HttpPostMultipart("x", MultipartForm::kBoundary, L"ann@example.com"); },
         "HTTP transport operation in progress in Transport.cpp"},
        {"form", [] { PostMessageForm(MessageParts(), L"ann@example.com"); },
         "HTTP transport operation complete in Transport.cpp(318)\nCURL error code 0, response 200\n"},
    };
    CacheAnnsPassword();
    for (const Case& c : cases) {
        diagnostics::ResetActivityLogsForTests();
        diagnostics::OpenThreadLog(L"Main");
        {
            diagnostics::LogScope scope(L"Sending", {"Caller.cpp", 1});
            c.request();
            EXPECT_TRUE(diagnostics::IsOperationInProgress()) << c.name;
        }
        const std::string log = diagnostics::CollectAllLogs();
        const std::size_t closed = log.find("Log closed, operation in progress...\n");
        ASSERT_NE(closed, std::string::npos) << c.name << "\n" << log;
        EXPECT_NE(log.find(c.resumedWith, closed), std::string::npos) << c.name << "\n" << log;
    }
}

TEST_F(TransportTest, ARefusedGetResumesTheOperationAsUnsuccessful) {
    localservice::LocalService stopped;
    ASSERT_EQ(stopped.Start(temp_.Narrow() + "/stopped"), "");
    ScopedServiceEndpoint nobody(ServiceEndpoint{.host = "localhost", .port = stopped.Port()});
    stopped.Stop();
    diagnostics::OpenThreadLog(L"Main");
    {
        diagnostics::LogScope scope(L"Checking account", {"Caller.cpp", 1});
        HttpGet(kVersionPath, L"");
        EXPECT_TRUE(diagnostics::IsOperationInProgress());
    }
    const std::string log = diagnostics::CollectAllLogs();
    EXPECT_NE(log.find("fAutoDetect - 0, lpszAutoConfigUrl - (null), lpszProxy - "), std::string::npos) << log;
    EXPECT_NE(log.find("HTTP transport operation insuccessfull in Transport.cpp"), std::string::npos) << log;
}

TEST(ServiceEndpointTest, OnlyAHostWithAValidPortIsAccepted) {
    ServiceEndpoint endpoint;
    EXPECT_TRUE(ParseServiceEndpoint("localhost:8443", endpoint));
    EXPECT_EQ(endpoint, (ServiceEndpoint{.host = "localhost", .port = 8443}));
    for (const char* bad : {"localhost", ":443", "localhost:", "localhost:0", "localhost:65536", "localhost:44x"}) {
        EXPECT_FALSE(ParseServiceEndpoint(bad, endpoint)) << bad;
    }
}

}  // namespace
}  // namespace sealwing::service
