#include "diagnostics/CrashReport.h"

#include <cstdint>
#include <string>

#include "diagnostics/CrashReportDialogTemplate.h"
#include "diagnostics/Log.h"
#include "diagnostics/LogViewer.h"
#include "platform/Platform.h"
#include "platform/UserInterface.h"

namespace sealwing::diagnostics {
namespace {

// Word for word as users have always seen it, without a blank after "server.".
std::wstring UploadFailedText(int engineCode, std::uint32_t status) {
    return L"There was an error while submitting logs to the server.The error code is " + std::to_wstring(engineCode) +
           L". Server response code is " + std::to_wstring(status) + L". Please contact support";
}

}  // namespace

int CCrashReportDlg::Show() { return platform::TheUserInterface().RunDialog(*this, platform::kNoWindow); }

const platform::DialogTemplate& CCrashReportDlg::Template() const { return kCrashReportDialogTemplate; }

void CCrashReportDlg::OnOpen(platform::DialogView&, const std::shared_ptr<platform::DialogMailbox>&) {}

std::optional<int> CCrashReportDlg::OnCommand(platform::DialogView& view, int controlId) {
    if (controlId == kViewReportId) {
        ShowLogViewer(previousText_, view.Window());
        return std::nullopt;
    }
    if (controlId == kSendReportId) return platform::kDialogOk;
    return std::nullopt;
}

void OfferCrashReport(const std::string& previousText, const CrashReportUpload& upload) {
    CCrashReportDlg dialog(previousText);
    if (dialog.Show() != kSendReportId) return;
    const CrashReportUploadResult reply = upload(previousText);
    if (reply.engineCode == 0 && reply.status == 200) return;
    platform::TheUserInterface().ShowMessageBox({.owner = platform::kNoWindow,
                                                 .text = UploadFailedText(reply.engineCode, reply.status),
                                                 .caption = L"Parcelon for Microsoft Outlook",
                                                 .icon = platform::MessageBoxIcon::Error,
                                                 .buttons = platform::MessageBoxButtons::Ok});
}

void InstallCrashReportOffer(CrashReportUpload upload) {
    SetCrashReportHandler(
        [upload = std::move(upload)](const std::string& previousText) { OfferCrashReport(previousText, upload); });
}

}  // namespace sealwing::diagnostics
