#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// HTTPS requests to the service, performed synchronously on the calling thread. Two engines stand behind this port:
// the system's HTTP service for GETs and the prepared-body POST, and a form engine for form posts. Certificates and
// host names are verified on every request; nothing here can switch that off.
namespace sealwing::platform {

class Event;

// Platform error numbers that callers test for (the system HTTP service's own numbers).
inline constexpr std::uint32_t kHttpCannotConnect = 12029;
inline constexpr std::uint32_t kHttpCancelled = 12017;
inline constexpr std::uint32_t kHttpFormPostFailed = 12004;
// A request that ran past its limits (HttpLimits), or a step that ran past the engine's own timeout.
inline constexpr std::uint32_t kHttpTimedOut = 12002;
// A sink refused a chunk of the body (the system HTTP service's internal-error number).
inline constexpr std::uint32_t kHttpSinkFailed = 12004;
// The form engine's own code for "could not connect", which the log report passes on unchanged.
inline constexpr int kFormEngineCannotConnect = 7;

// How long one request may take, on top of the engine's own per-step timeouts, so that no silent or trickling
// service holds a thread forever. A request past a limit ends with kHttpTimedOut (the form engine's posts with
// kHttpFormPostFailed), keeping the bytes read so far.
struct HttpLimits {
    // The whole request: name resolution, proxy discovery, connection, sending and the whole reply together.
    // Zero: no overall limit.
    std::chrono::milliseconds total{0};
    // For transfers that may rightly run long on a slow line (a message upload, an attachment download): the request
    // fails when fewer than `progressBytes` bytes, sent and received together, moved within `progressWindow`.
    // A zero window: no such limit.
    std::chrono::milliseconds progressWindow{0};
    std::size_t progressBytes = 1;
};

struct HttpTarget {
    std::string host{};
    int port = 0;        // 0: the HTTPS default, 443
    std::string path{};  // relative, no leading slash: "rest/message.xml"
    std::string userAgent{};
    HttpLimits limits{};
};

// An empty user name sends no credentials. Both are sent as UTF-8 Basic credentials.
struct HttpCredentials {
    std::wstring user{};
    std::wstring password{};
};

struct HttpReply {
    std::uint32_t error = 0;   // 0, or the platform error number
    std::uint32_t status = 0;  // 0 when no reply was read
    std::string body{};        // the bytes read, also those before a failure or a cancel
    int engineCode = 0;        // the engine's own result code, for logs and the log report (0 = success)
};

// The user's proxy configuration, for the log line. The engines apply it themselves.
struct HttpProxySettings {
    bool autoDetect = false;
    std::wstring autoConfigUrl{};
    std::wstring proxy{};
    std::wstring bypass{};
};

// One part of a multipart/form-data body built by the form engine.
struct HttpFormPart {
    std::string name{};
    std::string bytes{};
    // In place of `bytes`: bytes the caller holds until the request returns, which the engines read where they are, so
    // that a large attachment is never copied into the form.
    const std::string* borrowedBytes = nullptr;
    bool isFile = false;
    std::string fileName{};  // file parts only, UTF-8
    // File parts only: the single header line, e.g. "Content-Type: application/octet-stream".
    std::string contentHeader{};

    std::string_view Bytes() const { return borrowedBytes != nullptr ? std::string_view(*borrowedBytes) : bytes; }
};

// Called with the size of each chunk as it arrives, and once with 0 when no more data is available. It runs on the
// requesting thread, so it must only post, never wait for another thread.
using HttpProgress = std::function<void(std::size_t chunkBytes)>;

// Takes each chunk of a reply body as it arrives, on the requesting thread, so that a large download never has to be
// held whole; false refuses the chunk (a full disk) and ends the request with kHttpSinkFailed.
using HttpSink = std::function<bool(std::string_view chunk)>;

class Http {
public:
    virtual ~Http() = default;

    virtual HttpProxySettings UserProxySettings() = 0;

    // Requests never throw: every failure, of the engine or of memory, is a platform error number in the reply.
    // A GET. A signalled cancel event (checked while waiting and after each chunk) ends it with kHttpCancelled.
    virtual HttpReply Get(const HttpTarget& target, const HttpCredentials& credentials, const HttpProgress& progress,
                          Event* cancel) = 0;
    // A GET whose body, when the reply's status is 200, goes to the sink chunk by chunk (after each chunk's progress
    // call) and not into HttpReply::body, which stays empty; the body of any other reply, the service's error text,
    // stays in HttpReply::body. The engines stream; this default, for stand-ins, hands over the whole body at once.
    virtual HttpReply GetInto(const HttpTarget& target, const HttpCredentials& credentials,
                              const HttpProgress& progress, Event* cancel, const HttpSink& sink) {
        HttpReply reply = Get(target, credentials, progress, cancel);
        if (reply.error != 0 || reply.status != 200 || !sink) return reply;
        if (!reply.body.empty() && !sink(reply.body)) reply.error = kHttpSinkFailed;
        reply.body.clear();
        return reply;
    }
    // A POST of a prepared body with its Content-Type value, announcing "Expect: 100-continue". A signalled cancel
    // event ends it as it ends a GET, so an upload that stalls cannot hold its thread past a shutdown.
    virtual HttpReply Post(const HttpTarget& target, std::string_view body, std::string_view contentType,
                           const HttpCredentials& credentials, Event* cancel) = 0;
    // A form POST; the engine chooses the boundary. error is 0, kHttpCannotConnect or kHttpFormPostFailed (also when
    // cancelled) and engineCode the form engine's own result.
    virtual HttpReply PostForm(const HttpTarget& target, const std::vector<HttpFormPart>& parts,
                               const HttpCredentials& credentials, Event* cancel) = 0;
};

}  // namespace sealwing::platform
