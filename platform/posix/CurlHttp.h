#pragma once

#include <filesystem>
#include <string>

#include "platform/Http.h"

namespace sealwing::platform {

// The HTTP port on Linux: both engines through libcurl with OpenSSL. The proxy comes from the user's environment
// (http_proxy, https_proxy, no_proxy), which libcurl applies itself. Per-step timeouts follow the Windows HTTP
// service's defaults (60 s to connect, 30 s without a byte); on top of them every request keeps the limits its target
// names (HttpLimits), and a signalled cancel event ends a GET within a few tens of milliseconds. Nothing here throws.
class CurlHttp final : public Http {
public:
    struct Options {
        // Trusted roots; empty: the system's bundle.
        std::filesystem::path caFile;
    };

    // SEALWING_CA_FILE names a CA bundle to trust in place of the system's (the local service's test CA).
    static Options OptionsFromEnvironment();

    explicit CurlHttp(Options options);

    HttpProxySettings UserProxySettings() override;
    HttpReply Get(const HttpTarget& target, const HttpCredentials& credentials, const HttpProgress& progress,
                  Event* cancel) override;
    HttpReply GetInto(const HttpTarget& target, const HttpCredentials& credentials, const HttpProgress& progress,
                      Event* cancel, const HttpSink& sink) override;
    HttpReply Post(const HttpTarget& target, std::string_view body, std::string_view contentType,
                   const HttpCredentials& credentials, Event* cancel) override;
    HttpReply PostForm(const HttpTarget& target, const std::vector<HttpFormPart>& parts,
                       const HttpCredentials& credentials, Event* cancel) override;

private:
    Options options_;
};

}  // namespace sealwing::platform
