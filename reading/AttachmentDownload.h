#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "outlook/ObjectModel.h"
#include "platform/Http.h"
#include "platform/WindowSystem.h"
#include "service/SecureMessage.h"

namespace sealwing::platform {
class Event;
}

namespace sealwing::reading {

// Downloads every attachment of the secure message for `user` and attaches them to `forward`, in the message's
// order; nothing is attached when one fails or the user cancels. With `withDialog` behind CDownloadAttachmentsDlg
// (modal over `owner`, the download on a worker thread), otherwise at once on this thread. UI thread only.
// A failed download is reported to the user here; an object-model failure while attaching is thrown on, after every
// downloaded file is gone.
void DownloadAttachments(std::wstring_view messageId, std::wstring_view user, const service::SecureMessage& message,
                         const outlook::Ref<outlook::MailItem>& forward, platform::WindowHandle owner, bool withDialog);

// What one download of a message's attachments fetches: each attachment goes into the file at its path, in order.
struct AttachmentFetch {
    std::wstring messageId{};
    std::wstring user{};
    std::vector<service::SecureAttachment> attachments{};
    std::vector<std::wstring> paths{};  // one per attachment
};

struct FetchOutcome {
    bool complete = false;   // every attachment is in its file
    bool cancelled = false;  // the user stopped it: nothing to tell
    // Otherwise it failed: the service's explanations, if it gave any, for the failure box.
    std::vector<std::wstring> explanations{};
};

// The worker download: fetches the attachments one after the other, each announced chunk reaching `progress`,
// until one fails or the cancel event stops it, which leaves no file of the download behind. Any thread.
FetchOutcome FetchAttachments(const AttachmentFetch& fetch, const platform::HttpProgress& progress,
                              platform::Event* cancel);

// The failure box, owned by `owner`: "Unable to download attachments." with the explanations. UI thread only.
void ShowDownloadFailure(platform::WindowHandle owner, const std::vector<std::wstring>& explanations);

// The sum of the attachments' sizes as the service lists them: what the progress bar runs to.
std::uint64_t TotalSize(const std::vector<service::SecureAttachment>& attachments);

// The name an attachment is written and attached under: the service's name with its entity references turned back
// into characters ("A &amp; B.pdf" is "A & B.pdf").
std::wstring AttachmentName(const service::SecureAttachment& attachment);

}  // namespace sealwing::reading
