#pragma once

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

// The crash-report step: asks, and sends `previousText` to the service when the user agrees; a failed upload is
// reported in a message box and not kept. Whatever happens, the calling thread goes on with its work.
void OfferCrashReport(const std::string& previousText);

// Makes OfferCrashReport the step that every log opened from now on runs when its previous run ended abnormally.
// Done where the add-in's world starts: the DLL's platform, the simulated Outlook's main job, tests.
void InstallCrashReportOffer();

}  // namespace sealwing::diagnostics
