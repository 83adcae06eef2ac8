#include "service/Transport.h"

#include "diagnostics/FixedTexts.h"
#include "diagnostics/Log.h"
#include "platform/Platform.h"
#include "service/TransportSupport.h"

namespace sealwing::service {
namespace {

constexpr std::uint32_t kUnauthorized = 401;

std::wstring OrNull(const std::wstring& text) { return text.empty() ? L"(null)" : text; }

void LogProxySettings() {
    const platform::HttpProxySettings proxy = platform::TheHttp().UserProxySettings();
    diagnostics::LogWrite(L"fAutoDetect - " + std::to_wstring(proxy.autoDetect ? 1 : 0) + L", lpszAutoConfigUrl - " +
                          OrNull(proxy.autoConfigUrl) + L", lpszProxy - " + OrNull(proxy.proxy) +
                          L", lpszProxyBypass - " + OrNull(proxy.bypass) + L"\n");
}

TransportReply FromPlatform(platform::HttpReply reply) {
    return TransportReply{.error = reply.error, .status = reply.status, .body = std::move(reply.body)};
}

}  // namespace

TransportReply HttpGet(std::string_view path, std::wstring_view user, const platform::HttpProgress& progress,
                       platform::Event* cancel, const platform::HttpSink& sink) {
    const std::optional<platform::HttpCredentials> credentials = detail::GateCredentials(user);
    if (!credentials) return TransportReply{.status = kUnauthorized};
    LogProxySettings();

    detail::SuspendedOperation suspended;
    // A GET the user watches with a progress bar is a download, which may rightly run long on a slow line.
    const auto kind = progress ? detail::RequestKind::Transfer : detail::RequestKind::Request;
    const platform::HttpTarget target = detail::ServiceTarget(path, kind);
    platform::HttpReply reply = sink ? platform::TheHttp().GetInto(target, *credentials, progress, cancel, sink)
                                     : platform::TheHttp().Get(target, *credentials, progress, cancel);
    if (reply.error == platform::kHttpCancelled) {
        suspended.Resume(L"HTTP transport operation cancelled", diagnostics::fixed::kTransportCancelled);
    } else if (reply.error == 0) {
        suspended.Resume(diagnostics::fixed::kTransportSucceededText, diagnostics::fixed::kTransportSucceeded);
    }
    return FromPlatform(std::move(reply));
}

TransportReply HttpPostMultipart(std::string_view body, std::string_view boundary, std::wstring_view user,
                                 platform::Event* cancel) {
    const std::optional<platform::HttpCredentials> credentials = detail::GateCredentials(user);
    if (!credentials) return TransportReply{.status = kUnauthorized};

    const std::string contentType = "multipart/form-data; boundary=" + std::string(boundary);
    detail::SuspendedOperation suspended;
    platform::HttpReply reply = platform::TheHttp().Post(
        detail::ServiceTarget(kMessagePath, detail::RequestKind::Transfer), body, contentType, *credentials, cancel);
    if (reply.error == 0)
        suspended.Resume(L"HTTP transport operation in progress", diagnostics::fixed::kTransportInProgress);
    return FromPlatform(std::move(reply));
}

ServiceResult ResultOf(const TransportReply& reply) {
    if (reply.error == 0 && reply.status == 200) return ServiceResult::Success;
    if (reply.status == 401) return ServiceResult::NotAuthorised;
    if (reply.status == 404) return ServiceResult::NotFound;
    return ServiceResult::Failed;
}

}  // namespace sealwing::service
