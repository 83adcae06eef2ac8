#include "reading/AttachmentDownload.h"

#include <atomic>
#include <string>
#include <utility>

#include "diagnostics/Log.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/SafeFileName.h"
#include "platform/UserInterface.h"
#include "reading/DownloadAttachmentsDialog.h"
#include "service/ServiceOperations.h"
#include "settings/PasswordCache.h"
#include "xml/XmlDocument.h"

namespace sealwing::reading {
namespace {

constexpr const wchar_t* kCaption = L"Parcelon for Microsoft Outlook";
constexpr int kFreshFolderAttempts = 1000;

// One download's files: a fresh folder under "<local app data>/Parcelon" holding one numbered folder per
// attachment, in which the attachment's file has its own name made safe. No name, however hostile or however often
// it recurs, reaches outside or meets another; and the real name stays for the recipient to see. Everything made
// here is deleted when this goes, on every path.
class ScratchFiles {
public:
    explicit ScratchFiles(const std::vector<service::SecureAttachment>& attachments) : files_(platform::Files()) {
        if (attachments.empty()) return;
        const std::wstring parcelon =
            files_.Join(files_.KnownFolderPath(platform::KnownFolder::LocalAppData), L"Parcelon");
        if (!files_.FolderExists(parcelon)) files_.CreateFolder(parcelon);
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < kFreshFolderAttempts && root_.empty(); ++attempt) {
            const std::wstring candidate = files_.Join(parcelon, L"Attachments-" + std::to_wstring(++counter));
            if (!files_.FolderExists(candidate) && files_.CreateFolder(candidate)) root_ = candidate;
        }
        if (root_.empty())
            diagnostics::LogWrite(L"Unable to create a folder for the attachments in " + parcelon + L"\n");
        for (std::size_t index = 0; index < attachments.size(); ++index) {
            // Without a folder there is no path, and the first file fails to be created.
            if (root_.empty()) {
                paths_.emplace_back();
                continue;
            }
            const std::wstring folder = files_.Join(root_, std::to_wstring(index + 1));
            if (files_.CreateFolder(folder)) folders_.push_back(folder);
            paths_.push_back(files_.Join(folder, platform::SafeFileName(AttachmentName(attachments[index]))));
        }
    }

    ~ScratchFiles() {
        for (const std::wstring& path : paths_) {
            if (!path.empty()) files_.DeleteFile(path);
        }
        for (const std::wstring& folder : folders_) files_.DeleteFolder(folder);
        if (!root_.empty()) files_.DeleteFolder(root_);
    }

    ScratchFiles(const ScratchFiles&) = delete;
    ScratchFiles& operator=(const ScratchFiles&) = delete;

    const std::vector<std::wstring>& Paths() const { return paths_; }

private:
    platform::FileSystem& files_;
    std::wstring root_;
    std::vector<std::wstring> folders_;
    std::vector<std::wstring> paths_;
};

void DeleteFiles(const std::vector<std::wstring>& paths, std::size_t count) {
    for (std::size_t index = 0; index < count && index < paths.size(); ++index)
        platform::Files().DeleteFile(paths[index]);
}

}  // namespace

std::wstring AttachmentName(const service::SecureAttachment& attachment) { return xml::ConvertBack(attachment.name); }

std::uint64_t TotalSize(const std::vector<service::SecureAttachment>& attachments) {
    std::uint64_t total = 0;
    for (const service::SecureAttachment& attachment : attachments) {
        if (attachment.size > 0) total += static_cast<std::uint64_t>(attachment.size);
    }
    return total;
}

FetchOutcome FetchAttachments(const AttachmentFetch& fetch, const platform::HttpProgress& progress,
                              platform::Event* cancel) {
    diagnostics::LogScope scope(L"Downloading attachments");
    FetchOutcome outcome;
    for (std::size_t index = 0; index < fetch.attachments.size(); ++index) {
        // Without a password nobody is asked: a failure with nothing to explain.
        if (!fetch.user.empty() && !settings::PasswordCache::Instance().HasPassword(fetch.user)) {
            DeleteFiles(fetch.paths, index);
            return outcome;
        }
        const service::AttachmentFileDownload download = service::DownloadAttachmentToFile(
            fetch.messageId, fetch.attachments[index].id, fetch.user, fetch.paths.at(index), progress, cancel);
        if (download.result != service::ServiceResult::Success) {
            DeleteFiles(fetch.paths, index);
            outcome.cancelled = download.cancelled;
            outcome.explanations = download.explanations;
            return outcome;
        }
    }
    outcome.complete = true;
    return outcome;
}

void ShowDownloadFailure(platform::WindowHandle owner, const std::vector<std::wstring>& explanations) {
    std::wstring text = L"Unable to download attachments.";
    for (const std::wstring& explanation : explanations) text += L"\n" + explanation;
    if (explanations.empty()) text += L"\nIf the problem persists please contact support";
    platform::TheUserInterface().ShowMessageBox({.owner = owner,
                                                 .text = text,
                                                 .caption = kCaption,
                                                 .icon = platform::MessageBoxIcon::Warning,
                                                 .buttons = platform::MessageBoxButtons::Ok,
                                                 .taskModal = true});
}

void DownloadAttachments(std::wstring_view messageId, std::wstring_view user, const service::SecureMessage& message,
                         const outlook::Ref<outlook::MailItem>& forward, platform::WindowHandle owner,
                         bool withDialog) {
    platform::AssertUiThread(__func__);
    diagnostics::LogScope scope(L"Preparing attachments downloading");
    const ScratchFiles scratch(message.attachments);
    AttachmentFetch fetch{.messageId = std::wstring(messageId),
                          .user = std::wstring(user),
                          .attachments = message.attachments,
                          .paths = scratch.Paths()};
    FetchOutcome outcome;
    if (withDialog) {
        diagnostics::LogWrite(L"Attachments will be downloaded in separate thread\n");
        CDownloadAttachmentsDlg dialog(std::move(fetch));
        platform::TheUserInterface().RunDialog(dialog, owner);
        outcome = dialog.Outcome();
    } else {
        // Nobody watches the progress of a download that holds the UI thread.
        outcome = FetchAttachments(fetch, {}, nullptr);
        if (!outcome.complete && !outcome.cancelled) ShowDownloadFailure(owner, outcome.explanations);
    }
    if (!outcome.complete) return;

    const outlook::Ref<outlook::Attachments> attachments = forward->Attachments();
    for (std::size_t index = 0; index < message.attachments.size(); ++index) {
        // Past the body's last character: each after the one before, in the message's order.
        const int position = static_cast<int>(forward->Body().size()) + 1;
        attachments->Add(scratch.Paths()[index], outlook::olByValue, position,
                         AttachmentName(message.attachments[index]));
        platform::Files().DeleteFile(scratch.Paths()[index]);
    }
}

}  // namespace sealwing::reading
