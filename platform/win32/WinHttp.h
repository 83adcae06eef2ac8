#pragma once

#include "platform/Http.h"

namespace sealwing::platform::win32 {

// The HTTP port on Windows: every request through WinHTTP, form posts included, whose multipart body is written here
// with the same parts, names and header lines the Linux form engine writes (no libcurl exists for this build).
// Certificates are checked against the user's root store; the proxy is the user's Internet Explorer configuration.
// Under Wine, whose WinHTTP cannot read a "100 Continue" interim reply, posts go out without "Expect: 100-continue".
//
// Requests run in WinHTTP's asynchronous mode while the calling thread waits for each step together with the request's
// limits and, for a GET, its cancel event (looked at every 20 ms, as it is no kernel object); automatic proxy discovery
// runs on a thread of its own under the same wait. Past a limit a request ends with kHttpTimedOut, cancelled with
// kHttpCancelled, keeping the bytes read so far: its request handle, or the proxy resolver's session, is closed, which
// ends WinHTTP's work on Windows, and the calling thread does not wait for WinHTTP to let go (Wine's WinHTTP goes on
// until the service answers). Name resolution, connection and silence also have finite timeouts of WinHTTP's own,
// never longer than the time a request has left. Nothing thrown escapes a request: a lack of memory becomes
// ERROR_NOT_ENOUGH_MEMORY, anything else ERROR_WINHTTP_INTERNAL_ERROR.
class WinHttp final : public Http {
public:
    HttpProxySettings UserProxySettings() override;
    HttpReply Get(const HttpTarget& target, const HttpCredentials& credentials, const HttpProgress& progress,
                  Event* cancel) override;
    HttpReply GetInto(const HttpTarget& target, const HttpCredentials& credentials, const HttpProgress& progress,
                      Event* cancel, const HttpSink& sink) override;
    HttpReply Post(const HttpTarget& target, std::string_view body, std::string_view contentType,
                   const HttpCredentials& credentials, Event* cancel) override;
    HttpReply PostForm(const HttpTarget& target, const std::vector<HttpFormPart>& parts,
                       const HttpCredentials& credentials, Event* cancel) override;
};

}  // namespace sealwing::platform::win32
