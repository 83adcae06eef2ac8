#include "platform/win32/WinHttp.h"

#include "platform/win32/Win32Headers.h"

#include <winhttp.h>

#include <memory>
#include <random>

#include "platform/Text.h"
#include "platform/Threads.h"

namespace sealwing::platform::win32 {
namespace {

// The flags of every request: HTTPS, and past any proxy cache.
constexpr DWORD kRequestFlags = WINHTTP_FLAG_SECURE | WINHTTP_FLAG_REFRESH;
// WinHTTP's own defaults, stated so that no configuration can leave a thread waiting forever.
constexpr int kConnectTimeoutMs = 60'000;
constexpr int kSilenceTimeoutMs = 30'000;

struct InternetDeleter {
    void operator()(void* handle) const { ::WinHttpCloseHandle(handle); }
};
using Internet = std::unique_ptr<void, InternetDeleter>;

// The three handles of one request; members close in reverse order, the request first.
struct Connection {
    Internet session;
    Internet connect;
    Internet request;
};

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

// Asks the platform's proxy resolver when the user's settings want automatic detection.
void ApplyAutomaticProxy(HINTERNET session, HINTERNET request, const HttpTarget& target,
                         const WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& config) {
    if (!config.fAutoDetect) return;
    WINHTTP_AUTOPROXY_OPTIONS options{};
    if (config.lpszAutoConfigUrl != nullptr) {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = config.lpszAutoConfigUrl;
    } else {
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    options.fAutoLogonIfChallenged = TRUE;
    const std::wstring url = L"https://" + WideFromUtf8(target.host) + L"/";
    WINHTTP_PROXY_INFO info{};
    if (::WinHttpGetProxyForUrl(session, url.c_str(), &options, &info)) {
        ::WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof(info));
        TakeGlobal(info.lpszProxy);
        TakeGlobal(info.lpszProxyBypass);
    }
}

// Opens session, connection and request, with the user's named proxy when one is configured.
bool Open(Connection& connection, const HttpTarget& target, const wchar_t* verb, bool detectProxy) {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    const bool haveConfig = ::WinHttpGetIEProxyConfigForCurrentUser(&config) != FALSE;
    const bool named = haveConfig && config.lpszProxy != nullptr;
    const std::wstring agent = WideFromUtf8(target.userAgent);
    connection.session.reset(::WinHttpOpen(agent.c_str(),
                                           named ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_NO_PROXY,
                                           named ? config.lpszProxy : WINHTTP_NO_PROXY_NAME,
                                           named && config.lpszProxyBypass != nullptr ? config.lpszProxyBypass
                                                                                      : WINHTTP_NO_PROXY_BYPASS,
                                           0));
    bool opened = connection.session != nullptr &&
                  ::WinHttpSetTimeouts(connection.session.get(), 0, kConnectTimeoutMs, kSilenceTimeoutMs,
                                       kSilenceTimeoutMs);
    if (opened) {
        const std::wstring host = WideFromUtf8(target.host);
        connection.connect.reset(
            ::WinHttpConnect(connection.session.get(), host.c_str(), static_cast<INTERNET_PORT>(target.port), 0));
        opened = connection.connect != nullptr;
    }
    if (opened) {
        const std::wstring path = WideFromUtf8(target.path);
        connection.request.reset(::WinHttpOpenRequest(connection.connect.get(), verb, path.c_str(), nullptr,
                                                      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                      kRequestFlags));
        opened = connection.request != nullptr;
    }
    const DWORD error = ::GetLastError();
    if (opened && haveConfig && detectProxy) {
        ApplyAutomaticProxy(connection.session.get(), connection.request.get(), target, config);
    }
    if (haveConfig) {
        TakeGlobal(config.lpszAutoConfigUrl);
        TakeGlobal(config.lpszProxy);
        TakeGlobal(config.lpszProxyBypass);
    }
    ::SetLastError(error);
    return opened;
}

bool Send(HINTERNET request, const std::wstring& headers, std::string_view body) {
    const auto length = static_cast<DWORD>(body.size());
    LPVOID data = body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(body.data());
    return ::WinHttpSendRequest(request, headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                                headers.empty() ? 0 : static_cast<DWORD>(-1L), data, length, length, 0) &&
           ::WinHttpReceiveResponse(request, nullptr);
}

// Reads the reply to its end, or until the cancel event is found signalled after a chunk was announced.
HttpReply ReadReply(HINTERNET request, const HttpProgress& progress, Event* cancel) {
    HttpReply reply;
    for (;;) {
        DWORD available = 0;
        if (!::WinHttpQueryDataAvailable(request, &available)) return Failure();
        if (progress) progress(available);
        if (cancel != nullptr && cancel->IsSet()) {
            HttpReply cancelled = Failure(kHttpCancelled);
            cancelled.body = std::move(reply.body);
            return cancelled;
        }
        if (available == 0) break;
        const std::size_t start = reply.body.size();
        reply.body.resize(start + available);
        DWORD read = 0;
        if (!::WinHttpReadData(request, reply.body.data() + start, available, &read)) return Failure();
        reply.body.resize(start + read);
    }
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
        return Failure();
    }
    reply.status = status;
    return reply;
}

HttpReply Exchange(const HttpTarget& target, const wchar_t* verb, const std::wstring& headers, std::string_view body,
                   const HttpProgress& progress, Event* cancel, bool detectProxy) {
    Connection connection;
    if (!Open(connection, target, verb, detectProxy)) return Failure();
    if (!Send(connection.request.get(), headers, body)) return Failure();
    return ReadReply(connection.request.get(), progress, cancel);
}

// A boundary that occurs in no part, so no value can end its part early.
std::string FormBoundary(const std::vector<HttpFormPart>& parts) {
    std::random_device random;
    for (;;) {
        std::string boundary = "------------------------" + Hex(random()) + Hex(random());
        bool clash = false;
        for (const HttpFormPart& part : parts) {
            clash = clash || part.bytes.find(boundary) != std::string::npos ||
                    part.fileName.find(boundary) != std::string::npos || part.name.find(boundary) != std::string::npos;
        }
        if (!clash) return boundary;
    }
}

std::string FormBody(const std::vector<HttpFormPart>& parts, const std::string& boundary) {
    std::string body;
    for (const HttpFormPart& part : parts) {
        body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + part.name + "\"";
        if (part.isFile) {
            body += "; filename=\"" + part.fileName + "\"";
            if (!part.contentHeader.empty()) body += "\r\n" + part.contentHeader;
        }
        body += "\r\n\r\n" + part.bytes + "\r\n";
    }
    return body + "--" + boundary + "--\r\n";
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
    return Exchange(target, L"GET", AuthorizationHeader(credentials), {}, progress, cancel, true);
}

HttpReply WinHttp::Post(const HttpTarget& target, std::string_view body, std::string_view contentType,
                        const HttpCredentials& credentials) {
    const std::wstring headers = AuthorizationHeader(credentials) +
                                 (AnnounceContinue() ? L"Expect: 100-continue\r\n" : L"") + L"Content-Type: " +
                                 WideFromUtf8(contentType);
    return Exchange(target, L"POST", headers, body, {}, nullptr, false);
}

HttpReply WinHttp::PostForm(const HttpTarget& target, const std::vector<HttpFormPart>& parts,
                            const HttpCredentials& credentials) {
    const std::string boundary = FormBoundary(parts);
    HttpReply reply = Post(target, FormBody(parts, boundary), "multipart/form-data; boundary=" + boundary, credentials);
    // The form engine's codes: 7 when the service could not be reached, else the platform error as it is.
    if (reply.error == kHttpCannotConnect) {
        reply.engineCode = kFormEngineCannotConnect;
    } else if (reply.error != 0) {
        reply.error = kHttpFormPostFailed;
    }
    return reply;
}

}  // namespace sealwing::platform::win32
