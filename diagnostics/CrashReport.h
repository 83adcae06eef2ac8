#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Dialog.h"

namespace sealwing::diagnostics {

// Offers to send the log of a run that ended abnormally; the user may look at it first. Runs on the thread whose log
// found the abnormal end, without owner: at Outlook's start-up for the main log, on the worker for a worker's log.
class CCrashReportDlg final : public platform::Dialog {
public:
    // Keeps a reference: `previousText` must outlive the dialog.
    explicit CCrashReportDlg(const std::string& previousText) : previousText_(previousText) {}

    // Modal without owner: platform::kDialogOk when the user chose Send, platform::kDialogCancel when not.
    int Show();

    const platform::DialogTemplate& Template() const override;
    void OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>& mailbox) override;
    std::optional<int> OnCommand(platform::DialogView& view, int controlId) override;

private:
    const std::string& previousText_;
};

// What sending a report came to: the form engine's own code (0 when the request went through) and the HTTP status.
struct CrashReportUploadResult {
    int engineCode = 0;
    std::uint32_t status = 0;
};
// Sends a report to the service; the service client supplies it (service::UploadCrashReport).
using CrashReportUpload = std::function<CrashReportUploadResult(const std::string& report)>;

// The crash-report step: asks, and sends `previousText` when the user agrees; a failed upload is reported in a
// message box and not kept. Whatever happens, the calling thread goes on with its work.
void OfferCrashReport(const std::string& previousText, const CrashReportUpload& upload);

// Makes OfferCrashReport, with this upload, the step that every log opened from now on runs when its previous run
// ended abnormally. Done where the add-in's world starts: the DLL's platform, the simulated Outlook's main job, tests.
void InstallCrashReportOffer(CrashReportUpload upload);

}  // namespace sealwing::diagnostics
