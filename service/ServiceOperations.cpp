#include "service/ServiceOperations.h"

#include "diagnostics/Log.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "service/ServiceReplies.h"
#include "service/Transport.h"

namespace sealwing::service {
namespace {

std::wstring Wide(std::int64_t number) { return std::to_wstring(number); }

std::string AttachmentPath(std::wstring_view messageId, std::wstring_view attachmentId) {
    return "rest/attachment/" + EncodeUrlPart(messageId) + "/" + EncodeUrlPart(attachmentId) + ".xml";
}

void LogAttachmentRequest(std::wstring_view messageId, std::wstring_view attachmentId, std::wstring_view email) {
    diagnostics::LogWrite(L"[NETWORK] Downloading attachment. User - " + std::wstring(email) + L", id - " +
                          std::wstring(messageId) + L", attachment - " + std::wstring(attachmentId) + L"\n");
}

void LogAttachmentOutcome(const TransportReply& reply, std::uint64_t bytes) {
    diagnostics::LogWrite(L"Error " + Wide(reply.error) + L", response " + Wide(reply.status) + L"\n. " +
                          Wide(static_cast<std::int64_t>(bytes)) + L" bytes downloaded\n");
}

}  // namespace

std::string EncodeUrlPart(std::wstring_view text) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char byte : platform::Utf8FromWide(text)) {
        const auto c = static_cast<unsigned char>(byte);
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kDigits[c >> 4];
            encoded += kDigits[c & 0xF];
        }
    }
    return encoded;
}

ServiceResult ServiceGet(std::string_view path, std::wstring_view email, std::string& reply, platform::Event* cancel) {
    TransportReply answer = HttpGet(path, email, {}, cancel);
    diagnostics::LogWrite(L"Error " + Wide(answer.error) + L", response " + Wide(answer.status) + L"\n");
    if (!answer.body.empty()) reply = std::move(answer.body);
    return ResultOf(answer);
}

ServiceResult CheckAccount(std::wstring_view email, AccountStatus& status) {
    diagnostics::LogWrite(L"[NETWORK] Checking account " + std::wstring(email) + L"\n");
    std::string reply;
    const ServiceResult result =
        ServiceGet("secure/accounts/checkUser?email=" + EncodeUrlPart(email) + "&as_xml=1", L"", reply);
    if (result != ServiceResult::Success) return result;
    ReadAccountStatus(reply, status);
    diagnostics::LogWrite(status.registered
                              ? L"Account is a " + std::wstring(status.pro ? L"pro" : L"free") + L" account\n"
                              : std::wstring(L"Account not registered\n"));
    return result;
}

ServiceResult Login(std::wstring_view email, AccountInfo& info) {
    diagnostics::LogWrite(L"[NETWORK] Logging in as user " + std::wstring(email) + L"\n");
    std::string reply;
    const ServiceResult result = ServiceGet("rest/account.xml?init_session=1", email, reply);
    if (result != ServiceResult::Success) return result;
    ReadAccountInfo(reply, info);
    diagnostics::LogWrite(L"Logged in, " + info.type + L" user, sessionid - " + info.session_id + L"\n");
    return result;
}

ServiceResult Ping(std::wstring_view sessionId, bool& alive) {
    diagnostics::LogWrite(L"[NETWORK] Ping, sessionId " + std::wstring(sessionId) + L"\n");
    std::string reply;
    const ServiceResult result =
        ServiceGet("secure/accounts/authStatus?session_id=" + EncodeUrlPart(sessionId) + "&as_xml=1", L"", reply);
    if (result != ServiceResult::Success) return result;
    alive = ReadSessionAlive(reply);
    diagnostics::LogWrite(std::wstring(L"Session is ") + (alive ? L"alive" : L"dead") + L"\n");
    return result;
}

ServiceResult DownloadMessage(std::wstring_view messageId, std::wstring_view email, SecureMessage& message,
                              std::vector<std::wstring>& explanations) {
    diagnostics::LogWrite(L"[NETWORK] Downloading message. User - " + std::wstring(email) + L", id - " +
                          std::wstring(messageId) + L"\n");
    std::string reply;
    const ServiceResult result = ServiceGet("rest/message/" + EncodeUrlPart(messageId) + ".xml", email, reply);
    if (result != ServiceResult::Success) {
        explanations = ReadErrorExplanations(reply);
        return result;
    }
    ReadSecureMessage(reply, message);
    diagnostics::LogWrite(L"Message downloaded successfully\n");
    return result;
}

ServiceResult CheckVersion(VersionInfo& version, platform::Event* cancel) {
    diagnostics::LogWrite(L"[NETWORK] Version check\n");
    std::string reply;
    const ServiceResult result = ServiceGet("downloads/outlook-add-in/version.xml", L"", reply, cancel);
    if (result != ServiceResult::Success) return result;
    ReadVersionInfo(reply, version);
    diagnostics::LogWrite(L"Version on server is " + Wide(version.major) + L"." + Wide(version.minor) + L"\n");
    return result;
}

AttachmentDownload DownloadAttachment(std::wstring_view messageId, std::wstring_view attachmentId,
                                      std::wstring_view email, const platform::HttpProgress& progress,
                                      platform::Event* cancel) {
    LogAttachmentRequest(messageId, attachmentId, email);
    TransportReply reply = HttpGet(AttachmentPath(messageId, attachmentId), email, progress, cancel);
    LogAttachmentOutcome(reply, reply.body.size());
    AttachmentDownload download{.result = ResultOf(reply)};
    if (download.result == ServiceResult::Success) {
        download.content = std::move(reply.body);
        return download;
    }
    download.cancelled = reply.error == platform::kHttpCancelled;
    if (!download.cancelled) download.explanations = ReadErrorExplanations(reply.body);
    return download;
}

AttachmentFileDownload DownloadAttachmentToFile(std::wstring_view messageId, std::wstring_view attachmentId,
                                                std::wstring_view email, const std::wstring& path,
                                                const platform::HttpProgress& progress, platform::Event* cancel) {
    LogAttachmentRequest(messageId, attachmentId, email);
    AttachmentFileDownload download;
    platform::FileSystem& files = platform::Files();
    platform::FileError fileError = 0;
    // Made before the request, so that an empty attachment is an empty file.
    std::unique_ptr<platform::FileWriter> file = files.CreateNewFile(path, fileError);
    if (file == nullptr) {
        diagnostics::LogWrite(L"Unable to create file " + path + L", error " + Wide(fileError) + L"\n");
        return download;
    }
    const platform::HttpSink sink = [&](std::string_view chunk) {
        if (!file->Write(chunk, fileError)) return false;
        download.size += chunk.size();
        return true;
    };
    const TransportReply reply = HttpGet(AttachmentPath(messageId, attachmentId), email, progress, cancel, sink);
    LogAttachmentOutcome(reply, reply.body.empty() ? download.size : reply.body.size());
    download.result = ResultOf(reply);
    download.cancelled = reply.error == platform::kHttpCancelled;
    const bool closed = file->Close(fileError);
    if (fileError != 0) diagnostics::LogWrite(L"Unable to write file " + path + L", error " + Wide(fileError) + L"\n");
    if (download.result == ServiceResult::Success && closed) return download;
    if (download.result == ServiceResult::Success) download.result = ServiceResult::Failed;
    files.DeleteFile(path);
    download.size = 0;
    if (!download.cancelled) download.explanations = ReadErrorExplanations(reply.body);
    return download;
}

bool IsProAccount(std::wstring_view email) {
    AccountStatus status;
    return CheckAccount(email, status) == ServiceResult::Success && status.pro;
}

LogReportReply SubmitLogReport(std::string_view ansiReport) {
    return PostLogReportForm({{.name = "data", .bytes = platform::Utf8FromWide(platform::WideFromAnsi(ansiReport))}});
}

diagnostics::CrashReportUploadResult UploadCrashReport(const std::string& ansiReport) {
    const LogReportReply reply = SubmitLogReport(ansiReport);
    return {.engineCode = reply.engineCode, .status = reply.status};
}

}  // namespace sealwing::service
