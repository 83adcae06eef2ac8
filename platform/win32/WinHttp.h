#pragma once

#include "platform/Http.h"

namespace sealwing::platform::win32 {

// The HTTP port on Windows: every request through WinHTTP, form posts included, whose multipart body is written here
// with the same parts, names and header lines the Linux form engine writes (no libcurl exists for this build).
// Certificates are checked against the user's root store; the proxy is the user's Internet Explorer configuration.
// Under Wine, whose WinHTTP cannot read a "100 Continue" interim reply, posts go out without "Expect: 100-continue".
class WinHttp final : public Http {
public:
    HttpProxySettings UserProxySettings() override;
    HttpReply Get(const HttpTarget& target, const HttpCredentials& credentials, const HttpProgress& progress,
                  Event* cancel) override;
    HttpReply Post(const HttpTarget& target, std::string_view body, std::string_view contentType,
                   const HttpCredentials& credentials) override;
    HttpReply PostForm(const HttpTarget& target, const std::vector<HttpFormPart>& parts,
                       const HttpCredentials& credentials) override;
};

}  // namespace sealwing::platform::win32
