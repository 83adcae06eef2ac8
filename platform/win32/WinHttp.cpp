#include "platform/win32/WinHttp.h"

#include "platform/win32/Win32Headers.h"
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <utility>

#include "platform/FormBody.h"
#include "platform/Text.h"
#include "platform/Threads.h"

namespace sealwing::platform::win32 {
namespace {

// The flags of every request: HTTPS, and past any proxy cache.
constexpr DWORD kRequestFlags = WINHTTP_FLAG_SECURE | WINHTTP_FLAG_REFRESH;

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// WinHTTP's own connect and silence defaults, and a finite resolve timeout where WinHTTP's default waits forever, so
// that no configuration can leave a thread waiting forever. A request's limits shorten them.
constexpr Milliseconds kResolveTimeout{30'000};
constexpr Milliseconds kConnectTimeout{60'000};
constexpr Milliseconds kSilenceTimeout{30'000};
// The port's cancel event is no kernel object and wakes no other waiter, so a waiting GET looks at it this often.
constexpr Milliseconds kCancelPoll{20};
// How long an ended request waits for WinHTTP's last callback of its handle; see Exchange::CloseRequest.
constexpr Milliseconds kCloseWait{200};
// A body goes out in pieces of this size, so that the progress limit sees an upload move.
constexpr std::size_t kWritePiece = 64 * 1024;

struct InternetDeleter {
    void operator()(void* handle) const { ::WinHttpCloseHandle(handle); }
};
using Internet = std::unique_ptr<void, InternetDeleter>;

std::wstring TakeGlobal(LPWSTR text) {
    if (text == nullptr) return {};
    std::wstring copy(text);
    ::GlobalFree(text);
    return copy;
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) | static_cast<unsigned char>(bytes[i + 2]);
        out += {kDigits[(v >> 18) & 63], kDigits[(v >> 12) & 63], kDigits[(v >> 6) & 63], kDigits[v & 63]};
    }
    if (const std::size_t rest = bytes.size() - i; rest > 0) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += {kDigits[(v >> 18) & 63], kDigits[(v >> 12) & 63], rest == 2 ? kDigits[(v >> 6) & 63] : '=', '='};
    }
    return out;
}

// Basic credentials written by hand, so the name and password go out in UTF-8 whatever the code page.
std::wstring AuthorizationHeader(const HttpCredentials& credentials) {
    if (credentials.user.empty()) return {};
    const std::string pair = Utf8FromWide(credentials.user) + ":" + Utf8FromWide(credentials.password);
    return L"Authorization: Basic " + WideFromUtf8(Base64(pair)) + L"\r\n";
}

// Wine's WinHTTP takes the empty line that ends a "100 Continue" interim reply for the final reply's status line and
// fails with 12152 (invalid server response) after the service has already taken the body. Windows skips interim
// replies, so there the header is announced; under Wine the request goes out without it.
bool AnnounceContinue() {
    static const bool underWine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return !underWine;
}

HttpReply Failure(DWORD error = ::GetLastError()) {
    HttpReply reply;
    reply.error = error;
    reply.engineCode = static_cast<int>(error);
    return reply;
}

// The user's Internet Explorer proxy configuration, its strings freed with it.
struct UserProxyConfig {
    UserProxyConfig() : read(::WinHttpGetIEProxyConfigForCurrentUser(&config) != FALSE) {}
    ~UserProxyConfig() {
        if (!read) return;
        ::GlobalFree(config.lpszAutoConfigUrl);
        ::GlobalFree(config.lpszProxy);
        ::GlobalFree(config.lpszProxyBypass);
    }
    UserProxyConfig(const UserProxyConfig&) = delete;
    UserProxyConfig& operator=(const UserProxyConfig&) = delete;

    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    const bool read;
};

// When a request runs out of its limits: at its overall deadline, or one progress window after the earliest moment
// since which fewer than progressBytes bytes moved (the request's start when none moved yet).
class Limits {
public:
    explicit Limits(const HttpLimits& limits) : limits_(limits) { moves_.push_back({start_, 0}); }

    void Moved(std::size_t bytes) {
        if (bytes == 0 || !WatchesProgress()) return;
        moved_ += bytes;
        moves_.push_back({Clock::now(), moved_});
        // A moment that trails the total by progressBytes or more can start no slow window any more.
        while (moves_.size() > 1 && moved_ - moves_.front().total >= limits_.progressBytes) moves_.pop_front();
    }

    // Clock::time_point::max() when the request has no limits.
    Clock::time_point Expiry() const {
        Clock::time_point expiry = Clock::time_point::max();
        if (limits_.total.count() > 0) expiry = start_ + limits_.total;
        if (WatchesProgress()) expiry = std::min(expiry, moves_.front().at + limits_.progressWindow);
        return expiry;
    }

    // One of WinHTTP's per-step timeouts, cut to the time the request has left (at least a millisecond, since 0
    // would mean no timeout at all).
    int StepTimeout(Milliseconds step) const {
        const Clock::time_point expiry = Expiry();
        if (expiry != Clock::time_point::max()) {
            const auto left = std::chrono::ceil<Milliseconds>(expiry - Clock::now());
            step = std::clamp(left, Milliseconds{1}, step);
        }
        return static_cast<int>(step.count());
    }

private:
    struct Move {
        Clock::time_point at;
        std::size_t total;
    };

    bool WatchesProgress() const { return limits_.progressWindow.count() > 0 && limits_.progressBytes > 0; }

    const HttpLimits limits_;
    const Clock::time_point start_ = Clock::now();
    std::size_t moved_ = 0;
    std::deque<Move> moves_;
};

// What the request handle shares with WinHTTP's status callback. WinHTTP may still call back, and write into
// `buffer`, after the requesting thread stopped waiting for it, until the handle's last callback
// (WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING): the handle holds a reference of its own until then.
struct Completion {
    std::mutex lock;
    std::condition_variable changed;
    bool done = false;  // the call in flight completed, with `error` 0 or not
    DWORD error = 0;
    DWORD bytes = 0;  // the bytes the call reported available, read or written
    bool closed = false;
    std::shared_ptr<Completion> handleReference{};
    std::wstring headers{};
    std::string buffer{};
};

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information, DWORD length) {
    auto* completion = reinterpret_cast<Completion*>(context);
    if (completion == nullptr) return;
    // Released after the lock, so that the last reference may end the completion.
    std::shared_ptr<Completion> released;
    std::lock_guard guard(completion->lock);
    switch (status) {
        case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
        case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
            break;
        case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
        case WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE:
            completion->bytes = *static_cast<const DWORD*>(information);
            break;
        case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
            completion->bytes = length;
            break;
        case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
            completion->error = static_cast<const WINHTTP_ASYNC_RESULT*>(information)->dwError;
            break;
        case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
            completion->closed = true;
            released = std::move(completion->handleReference);
            completion->changed.notify_all();
            return;
        default:
            return;
    }
    completion->done = true;
    // Under the lock: once HANDLE_CLOSING took the lock, no earlier callback touches the completion any more.
    completion->changed.notify_all();
}

// Keeps this module loaded for as long as WinHTTP may still run its code: a thread or a late callback of a request
// given up on must not find the add-in unloaded. `pin` keeps it loaded until the process ends.
HMODULE HoldThisModule(bool pin) {
    HMODULE module = nullptr;
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | (pin ? GET_MODULE_HANDLE_EX_FLAG_PIN : 0);
    return ::GetModuleHandleExW(flags, reinterpret_cast<LPCWSTR>(&HoldThisModule), &module) ? module : nullptr;
}

// What the proxy resolver's thread shares with the request, which may give up on it before it ends.
struct ProxyDiscovery {
    explicit ProxyDiscovery(const std::wstring& agent)
        : session(::WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, 0)) {}
    ~ProxyDiscovery() {
        if (sessionOpen) ::WinHttpCloseHandle(session);
        ::GlobalFree(info.lpszProxy);
        ::GlobalFree(info.lpszProxyBypass);
    }
    ProxyDiscovery(const ProxyDiscovery&) = delete;
    ProxyDiscovery& operator=(const ProxyDiscovery&) = delete;

    const HINTERNET session;
    std::wstring url{};
    std::wstring autoConfigUrl{};
    WINHTTP_AUTOPROXY_OPTIONS options{};
    std::mutex lock;
    std::condition_variable changed;
    bool sessionOpen = session != nullptr;
    bool abandoned = false;
    bool finished = false;
    bool found = false;
    WINHTTP_PROXY_INFO info{};
};

struct ProxyDiscoveryStart {
    std::shared_ptr<ProxyDiscovery> discovery;
    HMODULE module;
};

DWORD WINAPI DiscoverProxy(void* parameter) {
    const HMODULE module = static_cast<ProxyDiscoveryStart*>(parameter)->module;
    {
        const std::unique_ptr<ProxyDiscoveryStart> start(static_cast<ProxyDiscoveryStart*>(parameter));
        ProxyDiscovery& discovery = *start->discovery;
        std::unique_lock guard(discovery.lock);
        if (!discovery.abandoned) {
            guard.unlock();
            WINHTTP_PROXY_INFO info{};
            const bool found =
                ::WinHttpGetProxyForUrl(discovery.session, discovery.url.c_str(), &discovery.options, &info) != FALSE;
            guard.lock();
            discovery.info = info;
            discovery.found = found;
        }
        discovery.finished = true;
        discovery.changed.notify_all();
    }
    // The module's code must not run once its last reference is gone: this call does not return into it.
    ::FreeLibraryAndExitThread(module, 0);
}

// 0, or the error that kept the resolver's thread from starting.
DWORD StartProxyDiscovery(const std::shared_ptr<ProxyDiscovery>& discovery) {
    auto start = std::make_unique<ProxyDiscoveryStart>(ProxyDiscoveryStart{discovery, HoldThisModule(false)});
    if (start->module == nullptr) return ::GetLastError();
    const HANDLE thread = ::CreateThread(nullptr, 0, DiscoverProxy, start.get(), 0, nullptr);
    if (thread == nullptr) {
        const DWORD error = ::GetLastError();
        ::FreeLibrary(start->module);
        return error;
    }
    start.release();
    ::CloseHandle(thread);
    return 0;
}

// One request in WinHTTP's asynchronous mode, driven step by step from the requesting thread, which waits for each
// step's completion, the cancel event and the limits together. A step that runs past the limits or is cancelled
// closes the request handle: WinHTTP documents that this ends an asynchronous request in progress (it promises
// nothing of the kind for a synchronous one), and the requesting thread returns without waiting for WinHTTP to finish.
class Exchange {
public:
    Exchange(const HttpTarget& target, Event* cancel) : target_(target), cancel_(cancel), limits_(target.limits) {}
    ~Exchange() { CloseRequest(); }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    // With a sink, the body of a 200 reply goes there instead of into the reply.
    // The body is sent from its pieces, in order, where they are held.
    HttpReply Run(const wchar_t* verb, const std::wstring& headers, std::span<const std::string_view> body,
                  const HttpProgress& progress, bool detectProxy, const HttpSink* sink = nullptr) {
        HttpReply reply;
        DWORD error = Open(verb, detectProxy);
        if (error == 0) error = Send(headers, body);
        if (error == 0) error = Await([this] { return ::WinHttpReceiveResponse(request_, nullptr); });
        DWORD status = 0;
        DWORD size = sizeof(status);
        if (error == 0 &&
            !::WinHttpQueryHeaders(request_, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                   WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
            error = ::GetLastError();
        }
        const bool toSink = sink != nullptr && *sink && status == 200;
        if (error == 0) error = Read(reply.body, progress, toSink ? sink : nullptr);
        if (error != 0) {
            reply.error = error;
            reply.engineCode = static_cast<int>(error);
        } else {
            reply.status = status;
        }
        return reply;
    }

private:
    // Opens session, connection and request, with the user's named proxy when one is configured, or the one
    // automatic detection finds.
    DWORD Open(const wchar_t* verb, bool detectProxy) {
        if (const DWORD stop = Stopped(); stop != 0) return stop;
        const UserProxyConfig user;
        const bool named = user.read && user.config.lpszProxy != nullptr;
        const std::wstring agent = WideFromUtf8(target_.userAgent);
        session_.reset(::WinHttpOpen(
            agent.c_str(), named ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY,
            named ? user.config.lpszProxy : WINHTTP_NO_PROXY_NAME,
            named && user.config.lpszProxyBypass != nullptr ? user.config.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS,
            WINHTTP_FLAG_ASYNC));
        if (session_ == nullptr || !SetTimeouts(session_.get())) return ::GetLastError();
        const std::wstring host = WideFromUtf8(target_.host);
        connect_.reset(::WinHttpConnect(session_.get(), host.c_str(), static_cast<INTERNET_PORT>(target_.port), 0));
        if (connect_ == nullptr) return ::GetLastError();
        const std::wstring path = WideFromUtf8(target_.path);
        request_ = ::WinHttpOpenRequest(connect_.get(), verb, path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                        WINHTTP_DEFAULT_ACCEPT_TYPES, kRequestFlags);
        if (request_ == nullptr) return ::GetLastError();
        completion_ = std::make_shared<Completion>();
        auto context = reinterpret_cast<DWORD_PTR>(completion_.get());
        if (!::WinHttpSetOption(request_, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof(context))) {
            return ::GetLastError();
        }
        completion_->handleReference = completion_;
        if (::WinHttpSetStatusCallback(request_, OnStatus,
                                       WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES,
                                       0) == WINHTTP_INVALID_STATUS_CALLBACK) {
            const DWORD error = ::GetLastError();
            completion_->handleReference.reset();
            return error;
        }
        calledBack_ = true;
        if (detectProxy && user.read && user.config.fAutoDetect) return ApplyAutomaticProxy(user.config, agent);
        return 0;
    }

    bool SetTimeouts(HINTERNET handle) const {
        return ::WinHttpSetTimeouts(handle, limits_.StepTimeout(kResolveTimeout), limits_.StepTimeout(kConnectTimeout),
                                    limits_.StepTimeout(kSilenceTimeout), limits_.StepTimeout(kSilenceTimeout));
    }

    // Asks the platform's proxy resolver, on a thread and a session of its own, while this thread waits for it, the
    // cancel event and the limits together. Past the limits or cancelled, the resolver's session is closed, which
    // WinHTTP documents to end the resolver with ERROR_WINHTTP_OPERATION_CANCELLED, and the request ends without
    // waiting for it. Not waiting matters under Wine: its resolver fetches the proxy script over a session of its own
    // that the closed handle does not reach, and a script server that never answers held it past any limit (measured
    // with Wine 8.0). Without a proxy found the request goes direct, as the resolver's failures are no failures of
    // the request.
    DWORD ApplyAutomaticProxy(const WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& config, const std::wstring& agent) {
        const auto discovery = std::make_shared<ProxyDiscovery>(agent);
        if (!discovery->sessionOpen || !SetTimeouts(discovery->session)) return 0;
        discovery->url = L"https://" + WideFromUtf8(target_.host) + L"/";
        if (config.lpszAutoConfigUrl != nullptr) {
            discovery->autoConfigUrl = config.lpszAutoConfigUrl;
            discovery->options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
            discovery->options.lpszAutoConfigUrl = discovery->autoConfigUrl.c_str();
        } else {
            discovery->options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
            discovery->options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
        }
        discovery->options.fAutoLogonIfChallenged = TRUE;
        if (const DWORD error = StartProxyDiscovery(discovery); error != 0) return error;

        std::unique_lock guard(discovery->lock);
        while (!discovery->finished) {
            if (const DWORD stop = Stopped(); stop != 0) {
                discovery->abandoned = true;
                discovery->sessionOpen = false;
                ::WinHttpCloseHandle(discovery->session);
                return stop;
            }
            const Clock::time_point look = NextLook();
            if (look == Clock::time_point::max()) {
                discovery->changed.wait(guard);
            } else {
                discovery->changed.wait_until(guard, look);
            }
        }
        if (discovery->found)
            ::WinHttpSetOption(request_, WINHTTP_OPTION_PROXY, &discovery->info, sizeof(discovery->info));
        return 0;
    }

    DWORD Send(const std::wstring& headers, std::span<const std::string_view> body) {
        completion_->headers = headers;
        const wchar_t* lines = headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : completion_->headers.c_str();
        const DWORD linesLength = headers.empty() ? 0 : static_cast<DWORD>(-1L);
        std::size_t total = 0;
        for (const std::string_view piece : body) total += piece.size();
        const auto length = static_cast<DWORD>(total);
        const auto context = reinterpret_cast<DWORD_PTR>(completion_.get());
        DWORD error = Await([&] {
            return ::WinHttpSendRequest(request_, lines, linesLength, WINHTTP_NO_REQUEST_DATA, 0, length, context);
        });
        // The body follows in writes of up to kWritePiece gathered from its pieces into the completion's buffer,
        // which WinHTTP may read until the handle closes. (piece, offset) is the first byte not yet written.
        std::size_t piece = 0;
        std::size_t offset = 0;
        while (error == 0) {
            std::string& buffer = completion_->buffer;
            buffer.clear();
            for (std::size_t at = piece, from = offset; at < body.size() && buffer.size() < kWritePiece;
                 ++at, from = 0) {
                buffer.append(body[at].substr(from, kWritePiece - buffer.size()));
            }
            if (buffer.empty()) break;
            DWORD written = 0;
            error = Await(
                [&buffer, this] {
                    return ::WinHttpWriteData(request_, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr);
                },
                &written);
            if (error == 0 && written == 0) error = ERROR_WINHTTP_INTERNAL_ERROR;
            limits_.Moved(written);
            for (std::size_t left = written; left > 0 && piece < body.size();) {
                const std::size_t step = std::min(left, body[piece].size() - offset);
                left -= step;
                offset += step;
                if (offset == body[piece].size()) {
                    ++piece;
                    offset = 0;
                }
            }
        }
        return error;
    }

    // Reads the reply to its end, or until the cancel event is found signalled after a chunk was announced.
    // The body's length as the reply's Content-Length announces it; nothing for a reply that announces none (a
    // chunked one).
    std::optional<std::uint64_t> AnnouncedLength() const {
        wchar_t text[32] = {};
        DWORD size = sizeof text;
        if (!::WinHttpQueryHeaders(request_, WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, text, &size,
                                   WINHTTP_NO_HEADER_INDEX)) {
            return std::nullopt;
        }
        std::uint64_t length = 0;
        const wchar_t* digit = text;
        for (; *digit >= L'0' && *digit <= L'9' && length < (UINT64_MAX - 9) / 10; ++digit) {
            length = length * 10 + static_cast<std::uint64_t>(*digit - L'0');
        }
        if (digit == text || *digit != L'\0') return std::nullopt;
        return length;
    }

    // A connection that ends before the announced length has arrived ends the read with ERROR_WINHTTP_CONNECTION_ERROR,
    // as Windows reports it: Wine's WinHTTP reports no error then, and the part of a body would pass for all of it.
    DWORD Read(std::string& body, const HttpProgress& progress, const HttpSink* sink) {
        const std::optional<std::uint64_t> announced = AnnouncedLength();
        std::uint64_t received = 0;
        for (;;) {
            DWORD available = 0;
            if (const DWORD error =
                    Await([this] { return ::WinHttpQueryDataAvailable(request_, nullptr); }, &available);
                error != 0) {
                return error;
            }
            if (progress) progress(available);
            if (cancel_ != nullptr && cancel_->IsSet()) return kHttpCancelled;
            if (available == 0) return announced && received < *announced ? ERROR_WINHTTP_CONNECTION_ERROR : 0;
            completion_->buffer.resize(available);
            DWORD read = 0;
            if (const DWORD error = Await(
                    [this] {
                        return ::WinHttpReadData(request_, completion_->buffer.data(),
                                                 static_cast<DWORD>(completion_->buffer.size()), nullptr);
                    },
                    &read);
                error != 0) {
                return error;
            }
            if (sink == nullptr) {
                body.append(completion_->buffer, 0, read);
            } else if (!(*sink)(std::string_view(completion_->buffer.data(), read))) {
                return kHttpSinkFailed;
            }
            received += read;
            limits_.Moved(read);
        }
    }

    // Starts one asynchronous call and waits for its completion: 0 or the platform error, kHttpTimedOut past the
    // limits and kHttpCancelled once the cancel event is seen, both of which end the request.
    template <class Call>
    DWORD Await(Call&& call, DWORD* bytes = nullptr) {
        if (const DWORD stop = Stopped(); stop != 0) return Abandon(stop);
        {
            std::lock_guard guard(completion_->lock);
            completion_->done = false;
            completion_->error = 0;
            completion_->bytes = 0;
        }
        // WinHTTP may complete the call on this thread before it returns: the callback takes the lock on its own.
        if (!call()) return ::GetLastError();
        std::unique_lock guard(completion_->lock);
        while (!completion_->done) {
            if (const DWORD stop = Stopped(); stop != 0) {
                guard.unlock();
                return Abandon(stop);
            }
            const Clock::time_point look = NextLook();
            if (look == Clock::time_point::max()) {
                completion_->changed.wait(guard);
            } else {
                completion_->changed.wait_until(guard, look);
            }
        }
        if (bytes != nullptr) *bytes = completion_->bytes;
        return completion_->error;
    }

    DWORD Stopped() const {
        if (cancel_ != nullptr && cancel_->IsSet()) return kHttpCancelled;
        return Clock::now() >= limits_.Expiry() ? kHttpTimedOut : 0;
    }

    // When to look at the cancel event and the limits again.
    Clock::time_point NextLook() const {
        const Clock::time_point expiry = limits_.Expiry();
        return cancel_ == nullptr ? expiry : std::min(expiry, Clock::now() + kCancelPoll);
    }

    DWORD Abandon(DWORD stop) {
        CloseRequest();
        return stop;
    }

    // Closes the request handle, which ends a call in flight, and waits a while for WinHTTP's last callback, so that
    // usually nothing of the request outlives the call. Should it come later, the completion waits for it on its own,
    // and the module stays loaded for it. Under Wine it does come later: closing the handle ends no call in flight,
    // which goes on until the service answers or drops the connection (measured with Wine 8.0; its per-step timeouts
    // did not end a held reply or a TLS handshake that never came either).
    void CloseRequest() {
        if (request_ == nullptr) return;
        ::WinHttpCloseHandle(std::exchange(request_, nullptr));
        if (!calledBack_) return;
        std::unique_lock guard(completion_->lock);
        if (!completion_->changed.wait_for(guard, kCloseWait, [this] { return completion_->closed; })) {
            HoldThisModule(true);
        }
    }

    const HttpTarget& target_;
    Event* const cancel_;
    Limits limits_;
    // Closed in reverse order, after the request handle.
    Internet session_;
    Internet connect_;
    HINTERNET request_ = nullptr;
    std::shared_ptr<Completion> completion_;
    bool calledBack_ = false;
};

// Requests never throw: what would escape (memory, a thread that cannot start, a progress callback) becomes an error.
template <class Work>
HttpReply WithoutThrowing(Work&& work) noexcept {
    try {
        return std::forward<Work>(work)();
    } catch (const std::bad_alloc&) {
        return Failure(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        return Failure(ERROR_WINHTTP_INTERNAL_ERROR);
    }
}

}  // namespace

HttpProxySettings WinHttp::UserProxySettings() {
    HttpProxySettings settings;
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    if (!::WinHttpGetIEProxyConfigForCurrentUser(&config)) return settings;
    settings.autoDetect = config.fAutoDetect != FALSE;
    settings.autoConfigUrl = TakeGlobal(config.lpszAutoConfigUrl);
    settings.proxy = TakeGlobal(config.lpszProxy);
    settings.bypass = TakeGlobal(config.lpszProxyBypass);
    return settings;
}

HttpReply WinHttp::Get(const HttpTarget& target, const HttpCredentials& credentials, const HttpProgress& progress,
                       Event* cancel) {
    return WithoutThrowing(
        [&] { return Exchange(target, cancel).Run(L"GET", AuthorizationHeader(credentials), {}, progress, true); });
}

HttpReply WinHttp::GetInto(const HttpTarget& target, const HttpCredentials& credentials, const HttpProgress& progress,
                           Event* cancel, const HttpSink& sink) {
    return WithoutThrowing([&] {
        return Exchange(target, cancel).Run(L"GET", AuthorizationHeader(credentials), {}, progress, true, &sink);
    });
}

namespace {

// A POST of the body's pieces, in order, as one body of the content type.
HttpReply PostPieces(const HttpTarget& target, std::span<const std::string_view> body, std::string_view contentType,
                     const HttpCredentials& credentials, Event* cancel) {
    return WithoutThrowing([&] {
        const std::wstring headers = AuthorizationHeader(credentials) +
                                     (AnnounceContinue() ? L"Expect: 100-continue\r\n" : L"") + L"Content-Type: " +
                                     WideFromUtf8(contentType);
        return Exchange(target, cancel).Run(L"POST", headers, body, {}, false);
    });
}

}  // namespace

HttpReply WinHttp::Post(const HttpTarget& target, std::string_view body, std::string_view contentType,
                        const HttpCredentials& credentials, Event* cancel) {
    const std::string_view pieces[] = {body};
    return PostPieces(target, pieces, contentType, credentials, cancel);
}

HttpReply WinHttp::PostForm(const HttpTarget& target, const std::vector<HttpFormPart>& parts,
                            const HttpCredentials& credentials, Event* cancel) {
    // The attachments go out from where the message holds them: only the parts' heads are made here.
    HttpReply reply = WithoutThrowing([&] {
        const std::string boundary = FormBoundary(parts);
        std::vector<std::string> texts;
        const std::vector<std::string_view> pieces = FormBodyPieces(parts, boundary, texts);
        return PostPieces(target, pieces, "multipart/form-data; boundary=" + boundary, credentials, cancel);
    });
    // The form engine's codes: 7 when the service could not be reached, else the platform error as it is.
    if (reply.error == kHttpCannotConnect) {
        reply.engineCode = kFormEngineCannotConnect;
    } else if (reply.error != 0) {
        reply.error = kHttpFormPostFailed;
    }
    return reply;
}

}  // namespace sealwing::platform::win32
