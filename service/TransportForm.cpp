#include "diagnostics/FixedTexts.h"
#include "diagnostics/Log.h"
#include "platform/Platform.h"
#include "service/Transport.h"
#include "service/TransportSupport.h"

// The two posts that go through the form engine: a message with attachments and the activity-log report.
namespace sealwing::service {

TransportReply PostMessageForm(const std::vector<platform::HttpFormPart>& parts, std::wstring_view user,
                               platform::Event* cancel) {
    const std::optional<platform::HttpCredentials> credentials = detail::GateCredentials(user);
    if (!credentials) return TransportReply{.status = 401};

    platform::HttpReply reply;
    {
        detail::SuspendedOperation suspended;
        reply = platform::TheHttp().PostForm(detail::ServiceTarget(kMessagePath, detail::RequestKind::Transfer), parts,
                                             *credentials, cancel);
        suspended.Resume(L"HTTP transport operation complete", diagnostics::fixed::kTransportFormComplete);
    }
    diagnostics::LogWrite(L"CURL error code " + std::to_wstring(reply.engineCode) + L", response " +
                          std::to_wstring(reply.status) + L"\n");
    return TransportReply{.error = reply.error, .status = reply.status, .body = std::move(reply.body)};
}

LogReportReply PostLogReportForm(const std::vector<platform::HttpFormPart>& parts) {
    const platform::HttpReply reply =
        platform::TheHttp().PostForm(detail::ServiceTarget(kLogReportPath, detail::RequestKind::Request), parts,
                                     platform::HttpCredentials{}, nullptr);
    return LogReportReply{.engineCode = reply.engineCode, .status = reply.status};
}

}  // namespace sealwing::service
