#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/CrashReport.h"
#include "platform/Http.h"
#include "service/ServiceRecords.h"
#include "service/Transport.h"

// The service's operations that read a reply: one GET each, made on the caller's thread. They never throw and never
// show anything: a ServiceResult, and the caller's records filled on success.
namespace sealwing::service {

// Percent-encodes a text for a path segment or a query value (UTF-8; everything but letters, digits and "-._~", the
// "/" included), so an address or id reaches the service as itself and cannot step out of its place in the path.
std::string EncodeUrlPart(std::wstring_view text);

// One GET of the path: the reply's bytes (UTF-8, whatever the status) and the result of the status. A signalled
// cancel event ends it as a failure.
ServiceResult ServiceGet(std::string_view path, std::wstring_view email, std::string& reply,
                         platform::Event* cancel = nullptr);

ServiceResult CheckAccount(std::wstring_view email, AccountStatus& status);
// True when the check succeeds and finds a pro account; the settings' standing check.
bool IsProAccount(std::wstring_view email);
ServiceResult Login(std::wstring_view email, AccountInfo& info);
ServiceResult Ping(std::wstring_view sessionId, bool& alive);
ServiceResult DownloadMessage(std::wstring_view messageId, std::wstring_view email, SecureMessage& message,
                              std::vector<std::wstring>& explanations);
// The start-up check runs on a worker of its own, which Outlook's disconnection ends through `cancel`.
ServiceResult CheckVersion(VersionInfo& version, platform::Event* cancel = nullptr);

// One attachment of a secure message, watched by the user: progress per chunk, and a cancel event.
struct AttachmentDownload {
    ServiceResult result = ServiceResult::Failed;
    bool cancelled = false;                    // the cancel event ended it; the bytes read so far are not content
    std::string content{};                     // the attachment's bytes, unaltered, on success
    std::vector<std::wstring> explanations{};  // from the service's error reply otherwise
};
AttachmentDownload DownloadAttachment(std::wstring_view messageId, std::wstring_view attachmentId,
                                      std::wstring_view email, const platform::HttpProgress& progress,
                                      platform::Event* cancel);

// One attachment written to a new file at `path` through the files port as it arrives, never held whole. On success
// the file holds the attachment's `size` bytes; on any failure (the file among them) or a cancel no file is left.
// `content` stays empty.
struct AttachmentFileDownload {
    ServiceResult result = ServiceResult::Failed;
    bool cancelled = false;
    std::uint64_t size = 0;                    // the bytes written
    std::vector<std::wstring> explanations{};  // from the service's error reply
};
AttachmentFileDownload DownloadAttachmentToFile(std::wstring_view messageId, std::wstring_view attachmentId,
                                                std::wstring_view email, const std::wstring& path,
                                                const platform::HttpProgress& progress, platform::Event* cancel);

// Sends an activity-log report (ANSI text). Anything but engine code 0 with status 200 is a failure.
LogReportReply SubmitLogReport(std::string_view ansiReport);
// SubmitLogReport as the crash-report step takes it (diagnostics::InstallCrashReportOffer).
diagnostics::CrashReportUploadResult UploadCrashReport(const std::string& ansiReport);

}  // namespace sealwing::service
