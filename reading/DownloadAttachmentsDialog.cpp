#include "reading/DownloadAttachmentsDialog.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "diagnostics/Log.h"
#include "platform/EntryGuard.h"
#include "platform/Platform.h"
#include "platform/Threads.h"
#include "platform/UserInterface.h"
#include "reading/DownloadAttachmentsDialogTemplate.h"

namespace sealwing::reading {
namespace {

constexpr const wchar_t* kCaption = L"Parcelon for Microsoft Outlook";

std::uint32_t BarPosition(std::uint64_t bytes) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, std::numeric_limits<std::uint32_t>::max()));
}

}  // namespace

// What the dialog and its worker share; the worker holds it too, so it outlives whichever ends first.
struct CDownloadAttachmentsDlg::Shared {
    explicit Shared(AttachmentFetch what) : fetch(std::move(what)) {}

    const AttachmentFetch fetch;
    platform::Event started{platform::Event::Reset::Manual};
    platform::Event cancel{platform::Event::Reset::Manual};
    // Written by the worker before its last post; read by the dialog after it.
    FetchOutcome outcome{};
};

CDownloadAttachmentsDlg::CDownloadAttachmentsDlg(AttachmentFetch fetch)
    : shared_(std::make_shared<Shared>(std::move(fetch))), total_(TotalSize(shared_->fetch.attachments)) {}

CDownloadAttachmentsDlg::~CDownloadAttachmentsDlg() {
    if (!worker_.joinable()) return;
    shared_->cancel.Set();
    worker_.join();
}

FetchOutcome CDownloadAttachmentsDlg::Outcome() const { return shared_->outcome; }

const platform::DialogTemplate& CDownloadAttachmentsDlg::Template() const { return kDownloadAttachmentsDialogTemplate; }

void CDownloadAttachmentsDlg::OnOpen(platform::DialogView& view,
                                     const std::shared_ptr<platform::DialogMailbox>& mailbox) {
    worker_ = std::thread([shared = shared_, mailbox] {
        bool complete = false;
        platform::GuardEntry([&] {
            diagnostics::OpenThreadLog(L"Attachments");
            diagnostics::OpenOperation(L"Attachments thread started", {"DownloadAttachmentsDialog.cpp", __LINE__});
            shared->started.Set();
            FetchOutcome outcome = FetchAttachments(
                shared->fetch,
                [&mailbox](std::size_t bytes) {
                    if (bytes > 0) mailbox->Post(kDownloadProgressMessage, static_cast<std::intptr_t>(bytes));
                },
                &shared->cancel);
            complete = outcome.complete;
            shared->outcome = std::move(outcome);
            diagnostics::CloseOperation(false);
        });
        // The dialog waits for this signal, whatever became of the work; the last post is the worker's last act.
        shared->started.Set();
        mailbox->Post(kDownloadEndedMessage, complete ? 1 : 0);
    });
    shared_->started.Wait();
    view.SetProgressRange(kDownloadProgressId, BarPosition(total_));
}

std::optional<int> CDownloadAttachmentsDlg::OnCommand(platform::DialogView& view, int controlId) {
    if (controlId == platform::kDialogOk) AskToCancel(view);
    return std::nullopt;
}

std::optional<int> CDownloadAttachmentsDlg::OnClose(platform::DialogView& view) {
    AskToCancel(view);
    return std::nullopt;
}

void CDownloadAttachmentsDlg::AskToCancel(platform::DialogView& view) {
    const platform::DialogResult answer = platform::TheUserInterface().ShowMessageBox(
        {.owner = view.Window(),
         .text = L"Do you really would like to terminate downloading of attachments?",
         .caption = kCaption,
         .icon = platform::MessageBoxIcon::Question,
         .buttons = platform::MessageBoxButtons::YesNo});
    if (answer == platform::DialogResult::Yes) shared_->cancel.Set();
}

std::optional<int> CDownloadAttachmentsDlg::OnPosted(platform::DialogView& view, int message, std::intptr_t value) {
    if (message == kDownloadProgressMessage) {
        received_ += static_cast<std::uint64_t>(value);
        view.SetProgress(kDownloadProgressId, BarPosition(received_));
        return std::nullopt;
    }
    if (message != kDownloadEndedMessage) return std::nullopt;
    worker_.join();
    const FetchOutcome& outcome = shared_->outcome;
    if (!outcome.complete && !outcome.cancelled) ShowDownloadFailure(view.Window(), outcome.explanations);
    return value == 1 ? platform::kDialogOk : platform::kDialogCancel;
}

}  // namespace sealwing::reading
