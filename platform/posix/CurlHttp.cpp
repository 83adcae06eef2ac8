#include "platform/posix/CurlHttp.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>

#include "platform/Text.h"
#include "platform/Threads.h"
#include "platform/posix/CurlForm.h"

namespace sealwing::platform {
namespace {

// The system HTTP service's numbers for the failures libcurl can report on its paths.
constexpr std::uint32_t kHttpNameNotResolved = 12007;
constexpr std::uint32_t kHttpInternalError = 12004;
constexpr std::uint32_t kHttpConnectionError = 12030;
constexpr std::uint32_t kHttpSecureFailure = 12175;

constexpr long kConnectTimeoutSeconds = 60;
constexpr long kLowSpeedTimeSeconds = 30;
// How often a waiting transfer looks at its cancel event and its progress, so a cancel ends it at once.
constexpr int kWakeIntervalMs = 50;

// A request that cannot even be set up (libcurl refused an option, memory ran out) fails like any other request.
struct SetupFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct MimeDeleter {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using Multi = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;
using Mime = std::unique_ptr<curl_mime, MimeDeleter>;

void GlobalInit() {
    static std::once_flag once;
    static CURLcode result = CURLE_OK;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    if (result != CURLE_OK) throw SetupFailed("curl_global_init failed");
}

void Append(HeaderList& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr) throw std::bad_alloc();
    static_cast<void>(list.release());
    list.reset(grown);
}

// What one transfer collects while libcurl runs it.
struct Transfer {
    std::string body{};
    const HttpProgress* progress = nullptr;
    Event* cancel = nullptr;
    // A GET's sink, which takes the body of a 200 reply; whether this reply is one is found at its first chunk.
    const HttpSink* sink = nullptr;
    CURL* easy = nullptr;
    std::optional<bool> toSink{};
    bool cancelled = false;
    bool failed = false;      // a callback of ours failed; the transfer was aborted
    bool sinkFailed = false;  // the sink refused a chunk
    std::string userName{};
    std::string password{};
};

std::size_t OnData(char* data, std::size_t size, std::size_t count, void* context) {
    auto& transfer = *static_cast<Transfer*>(context);
    const std::size_t bytes = size * count;
    try {
        if (transfer.progress != nullptr && *transfer.progress) (*transfer.progress)(bytes);
        if (transfer.cancel != nullptr && transfer.cancel->IsSet()) {
            transfer.cancelled = true;
            return 0;  // aborts the transfer; the bytes read before stay in the body
        }
        if (!transfer.toSink) {
            long status = 0;
            transfer.toSink = transfer.sink != nullptr && *transfer.sink &&
                              curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK &&
                              status == 200;
        }
        if (!*transfer.toSink) {
            transfer.body.append(data, bytes);
        } else if (!(*transfer.sink)(std::string_view(data, bytes))) {
            transfer.sinkFailed = true;
            return 0;
        }
    } catch (...) {
        // Nothing may unwind through libcurl: the transfer ends as failed.
        transfer.failed = true;
        return 0;
    }
    return bytes;
}

std::string Url(const HttpTarget& target) {
    std::string url = "https://" + target.host;
    if (target.port != 0) url += ":" + std::to_string(target.port);
    return url + "/" + target.path;
}

void Check(CURLcode code) {
    if (code != CURLE_OK) throw SetupFailed(std::string("curl_easy_setopt: ") + curl_easy_strerror(code));
}

// The options every request shares: verification always on, the timeouts, the user agent, the credentials.
Easy OpenEasy(const HttpTarget& target, const HttpCredentials& credentials, const CurlHttp::Options& options,
              Transfer& transfer) {
    GlobalInit();
    Easy easy(curl_easy_init());
    if (!easy) throw std::bad_alloc();
    CURL* e = easy.get();
    transfer.easy = e;
    Check(curl_easy_setopt(e, CURLOPT_URL, Url(target).c_str()));
    Check(curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "https"));
    Check(curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L));
    Check(curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L));
    Check(curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L));
    if (!options.caFile.empty()) Check(curl_easy_setopt(e, CURLOPT_CAINFO, options.caFile.c_str()));
    Check(curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds));
    Check(curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L));
    Check(curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, kLowSpeedTimeSeconds));
    // libcurl's own overall timeout covers resolution, connection, sending and the whole reply.
    if (target.limits.total.count() > 0) {
        Check(curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(target.limits.total.count())));
    }
    Check(curl_easy_setopt(e, CURLOPT_USERAGENT, target.userAgent.c_str()));
    // The system HTTP service speaks HTTP/1.1 to the service; both engines must send the same requests.
    Check(curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)));
    Check(curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, OnData));
    Check(curl_easy_setopt(e, CURLOPT_WRITEDATA, &transfer));
    if (!credentials.user.empty()) {
        transfer.userName = Utf8FromWide(credentials.user);
        transfer.password = Utf8FromWide(credentials.password);
        Check(curl_easy_setopt(e, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)));
        Check(curl_easy_setopt(e, CURLOPT_USERNAME, transfer.userName.c_str()));
        Check(curl_easy_setopt(e, CURLOPT_PASSWORD, transfer.password.c_str()));
    }
    return easy;
}

// The system HTTP service's error for what libcurl reported.
std::uint32_t PlatformError(CURLcode code) {
    switch (code) {
        case CURLE_OK:
            return 0;
        case CURLE_COULDNT_CONNECT:
            return kHttpCannotConnect;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return kHttpNameNotResolved;
        case CURLE_OPERATION_TIMEDOUT:
            return kHttpTimedOut;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CERTPROBLEM:
            return kHttpSecureFailure;
        case CURLE_OUT_OF_MEMORY:
            return kHttpInternalError;
        default:
            return kHttpConnectionError;
    }
}

// The progress limit of a long transfer: fewer than the limit's bytes moved within its window ends it.
class ProgressWatch {
public:
    explicit ProgressWatch(const HttpLimits& limits) : limits_(limits), windowStart_(Now()) {}

    // False when the transfer moved too little in the window that just ended.
    bool Moving(std::uint64_t bytesMoved) {
        if (limits_.progressWindow.count() <= 0) return true;
        const auto now = Now();
        if (now - windowStart_ < limits_.progressWindow) return true;
        if (bytesMoved - bytesAtWindowStart_ < limits_.progressBytes) return false;
        windowStart_ = now;
        bytesAtWindowStart_ = bytesMoved;
        return true;
    }

private:
    static std::chrono::steady_clock::time_point Now() { return std::chrono::steady_clock::now(); }

    HttpLimits limits_;
    std::chrono::steady_clock::time_point windowStart_;
    std::uint64_t bytesAtWindowStart_ = 0;
};

std::uint64_t BytesMoved(CURL* easy) {
    curl_off_t received = 0;
    curl_off_t sent = 0;
    curl_easy_getinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &received);
    curl_easy_getinfo(easy, CURLINFO_SIZE_UPLOAD_T, &sent);
    return static_cast<std::uint64_t>(received) + static_cast<std::uint64_t>(sent);
}

// Runs the transfer through a multi handle, so the thread wakes often enough to see a cancel or a stalled transfer
// at once instead of after libcurl's next progress report.
CURLcode RunTransfer(CURL* easy, const HttpLimits& limits, Transfer& transfer, bool& stalled) {
    Multi multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), easy) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
    ProgressWatch watch(limits);
    CURLcode result = CURLE_OK;
    for (bool done = false; !done;) {
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            result = CURLE_OUT_OF_MEMORY;
            break;
        }
        int queued = 0;
        while (const CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
            if (message->msg == CURLMSG_DONE) {
                result = message->data.result;
                done = true;
            }
        }
        if (done || running == 0) break;
        if (transfer.cancel != nullptr && transfer.cancel->IsSet()) {
            transfer.cancelled = true;
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (!watch.Moving(BytesMoved(easy))) {
            stalled = true;
            result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        if (curl_multi_poll(multi.get(), nullptr, 0, kWakeIntervalMs, nullptr) != CURLM_OK) {
            result = CURLE_OUT_OF_MEMORY;
            break;
        }
    }
    curl_multi_remove_handle(multi.get(), easy);
    return result;
}

HttpReply Perform(CURL* easy, const HttpLimits& limits, Transfer& transfer, bool formEngine) {
    bool stalled = false;
    const CURLcode code = RunTransfer(easy, limits, transfer, stalled);
    HttpReply reply;
    reply.engineCode = static_cast<int>(code);
    long status = 0;
    if (curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK) {
        reply.status = static_cast<std::uint32_t>(status);
    }
    if (transfer.cancelled) {
        reply.error = kHttpCancelled;
    } else if (transfer.sinkFailed) {
        reply.error = kHttpSinkFailed;
    } else if (transfer.failed) {
        reply.error = kHttpInternalError;
    } else if (formEngine) {
        reply.error = code == CURLE_OK ? 0 : code == CURLE_COULDNT_CONNECT ? kHttpCannotConnect : kHttpFormPostFailed;
    } else {
        reply.error = PlatformError(code);
    }
    reply.body = std::move(transfer.body);
    return reply;
}

// A request that failed before any byte left: the engine's internal-error number, and libcurl's own code for it.
HttpReply SetupFailure(CURLcode code = CURLE_FAILED_INIT) {
    HttpReply reply;
    reply.error = kHttpInternalError;
    reply.engineCode = static_cast<int>(code);
    return reply;
}

// Runs one request; whatever it throws while being set up becomes a failed reply, never an exception.
template <class Request>
HttpReply Guarded(Request&& request) noexcept {
    try {
        return request();
    } catch (const std::bad_alloc&) {
        return SetupFailure(CURLE_OUT_OF_MEMORY);
    } catch (...) {
        return SetupFailure();
    }
}

// The header lines the system HTTP service sends for a request that bypasses proxy caches and names no accept
// types ("Accept:" with no value removes the one libcurl would add).
void AppendRequestHeaders(HeaderList& headers) {
    Append(headers, "Pragma: no-cache");
    Append(headers, "Cache-Control: no-cache");
    Append(headers, "Accept:");
}

std::wstring Environment(const char* lower, const char* upper) {
    const char* value = std::getenv(lower);
    if (value == nullptr || *value == '\0') value = std::getenv(upper);
    return value == nullptr ? std::wstring() : WideFromUtf8(value);
}

}  // namespace

CurlHttp::Options CurlHttp::OptionsFromEnvironment() {
    Options options;
    if (const char* caFile = std::getenv("SEALWING_CA_FILE"); caFile != nullptr) options.caFile = caFile;
    return options;
}

CurlHttp::CurlHttp(Options options) : options_(std::move(options)) {}

HttpProxySettings CurlHttp::UserProxySettings() {
    HttpProxySettings settings;
    settings.proxy = Environment("https_proxy", "HTTPS_PROXY");
    if (settings.proxy.empty()) settings.proxy = Environment("all_proxy", "ALL_PROXY");
    settings.bypass = Environment("no_proxy", "NO_PROXY");
    return settings;
}

HttpReply CurlHttp::Get(const HttpTarget& target, const HttpCredentials& credentials, const HttpProgress& progress,
                        Event* cancel) {
    return GetInto(target, credentials, progress, cancel, {});
}

HttpReply CurlHttp::GetInto(const HttpTarget& target, const HttpCredentials& credentials, const HttpProgress& progress,
                            Event* cancel, const HttpSink& sink) {
    return Guarded([&] {
        Transfer transfer{.progress = &progress, .cancel = cancel, .sink = &sink};
        Easy easy = OpenEasy(target, credentials, options_, transfer);
        HeaderList headers;
        AppendRequestHeaders(headers);
        Check(curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get()));
        Check(curl_easy_setopt(easy.get(), CURLOPT_HTTPGET, 1L));
        HttpReply reply = Perform(easy.get(), target.limits, transfer, false);
        if (reply.error == 0 && progress) progress(0);
        return reply;
    });
}

HttpReply CurlHttp::Post(const HttpTarget& target, std::string_view body, std::string_view contentType,
                         const HttpCredentials& credentials, Event* cancel) {
    return Guarded([&] {
        Transfer transfer{.cancel = cancel};
        Easy easy = OpenEasy(target, credentials, options_, transfer);
        HeaderList headers;
        AppendRequestHeaders(headers);
        Append(headers, "Expect: 100-continue");
        Append(headers, "Content-Type: " + std::string(contentType));
        Check(curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get()));
        Check(curl_easy_setopt(easy.get(), CURLOPT_POST, 1L));
        Check(curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDS, body.data()));
        Check(curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())));
        return Perform(easy.get(), target.limits, transfer, false);
    });
}

HttpReply CurlHttp::PostForm(const HttpTarget& target, const std::vector<HttpFormPart>& parts,
                             const HttpCredentials& credentials, Event* cancel) {
    HttpReply reply = Guarded([&] {
        Transfer transfer{.cancel = cancel};
        Easy easy = OpenEasy(target, credentials, options_, transfer);
        Mime mime(curl_mime_init(easy.get()));
        if (!mime) throw std::bad_alloc();
        for (const HttpFormPart& part : parts) {
            // A part that cannot be added fails the post before any byte leaves: the form must never go out without
            // it.
            if (const CURLcode code = AddFormPart(mime.get(), part); code != CURLE_OK) return SetupFailure(code);
        }
        Check(curl_easy_setopt(easy.get(), CURLOPT_MIMEPOST, mime.get()));
        // Like the Windows form writer's posts, no accept types.
        HeaderList headers;
        Append(headers, "Accept:");
        Check(curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get()));
        return Perform(easy.get(), target.limits, transfer, true);
    });
    // The form engine knows only three outcomes.
    if (reply.error != 0 && reply.error != kHttpCannotConnect) reply.error = kHttpFormPostFailed;
    return reply;
}

}  // namespace sealwing::platform
