#include "service/TransportSupport.h"

#include "diagnostics/FixedTexts.h"
#include "diagnostics/Log.h"
#include "service/RequestLimits.h"
#include "service/Transport.h"
#include "service/TransportEndpoint.h"
#include "settings/PasswordCache.h"

namespace sealwing::service::detail {
namespace {}  // namespace

std::optional<platform::HttpCredentials> GateCredentials(std::wstring_view user) {
    if (user.empty()) return platform::HttpCredentials{};
    std::optional<std::wstring> password = settings::PasswordCache::Instance().FindPassword(user);
    if (!password) return std::nullopt;
    return platform::HttpCredentials{.user = std::wstring(user), .password = std::move(*password)};
}

platform::HttpTarget ServiceTarget(std::string_view path, RequestKind kind) {
    ServiceEndpoint endpoint = CurrentServiceEndpoint();
    const RequestLimits limits = CurrentRequestLimits();
    return platform::HttpTarget{.host = std::move(endpoint.host),
                                .port = endpoint.port,
                                .path = std::string(path),
                                .userAgent = kUserAgent,
                                .limits = kind == RequestKind::Transfer ? limits.transfer : limits.request};
}

SuspendedOperation::SuspendedOperation() : suspended_(diagnostics::IsOperationInProgress()) {
    if (suspended_) diagnostics::CloseOperation(true);
}

SuspendedOperation::~SuspendedOperation() {
    Resume(diagnostics::fixed::kTransportFailedText, diagnostics::fixed::kTransportFailed);
}

void SuspendedOperation::Resume(std::wstring_view text, const diagnostics::LogPlace& place) {
    if (!suspended_) return;
    suspended_ = false;
    diagnostics::OpenOperation(text, place);
}

}  // namespace sealwing::service::detail
