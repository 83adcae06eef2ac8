#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <thread>

#include "platform/Dialog.h"
#include "reading/AttachmentDownload.h"

namespace sealwing::reading {

// What the download's worker posts to its dialog (Windows' WM_USER and WM_USER + 2).
inline constexpr int kDownloadProgressMessage = 0x400;  // value: the bytes of the chunk just announced
inline constexpr int kDownloadEndedMessage = 0x402;     // value: 1 all downloaded, 0 failed or cancelled

// The progress dialog of a download of attachments: a worker thread fetches them while the bar follows the bytes
// received up to the total the service listed. Cancel, Escape and the close box ask first; Yes stops the download at
// its next read, and the dialog stays until the worker reports its end, the failure box first when it failed. The
// worker touches nothing of the dialog but what it shares with it and its mailbox.
class CDownloadAttachmentsDlg final : public platform::Dialog {
public:
    explicit CDownloadAttachmentsDlg(AttachmentFetch fetch);
    // Stops and waits for a worker still running (a dialog that ended otherwise than by the worker's report).
    ~CDownloadAttachmentsDlg() override;
    CDownloadAttachmentsDlg(const CDownloadAttachmentsDlg&) = delete;
    CDownloadAttachmentsDlg& operator=(const CDownloadAttachmentsDlg&) = delete;

    // What the worker came to; read once the dialog has ended. Nothing complete when the dialog never opened.
    FetchOutcome Outcome() const;

    const platform::DialogTemplate& Template() const override;
    void OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>& mailbox) override;
    std::optional<int> OnCommand(platform::DialogView& view, int controlId) override;
    std::optional<int> OnClose(platform::DialogView& view) override;
    std::optional<int> OnPosted(platform::DialogView& view, int message, std::intptr_t value) override;

private:
    struct Shared;
    void AskToCancel(platform::DialogView& view);

    std::shared_ptr<Shared> shared_;
    std::thread worker_;
    std::uint64_t total_ = 0;
    std::uint64_t received_ = 0;
};

}  // namespace sealwing::reading
