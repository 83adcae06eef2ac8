#include "sim/SimAttachment.h"

#include <stdexcept>
#include <utility>

#include "platform/Files.h"
#include "platform/Platform.h"

namespace sealwing::sim {

SimAttachment::SimAttachment(std::weak_ptr<SimContext> context, std::wstring fileName, std::wstring displayName,
                             outlook::AttachmentType type, std::string bytes, bool saved)
    : SimObject(std::move(context)),
      fileName_(std::move(fileName)),
      displayName_(std::move(displayName)),
      type_(type),
      bytes_(std::move(bytes)),
      saved_(saved) {}

std::wstring SimAttachment::FileName() {
    Enter(L"Attachment.FileName");
    return fileName_;
}

std::wstring SimAttachment::DisplayName() {
    Enter(L"Attachment.DisplayName");
    return displayName_;
}

outlook::AttachmentType SimAttachment::Type() {
    Enter(L"Attachment.Type");
    return saved_ ? type_ : outlook::olOLE;
}

void SimAttachment::SaveAsFile(const std::wstring& path) {
    Enter(L"Attachment.SaveAsFile");
    platform::FileSystem* files = platform::CurrentPlatform().files;
    if (files == nullptr) throw std::logic_error("the simulated Outlook writes attachments through the files port");
    if (!files->ReplaceFile(path, bytes_, platform::FileAccess::Default).ok) {
        throw outlook::ComError(result::kAccessDenied, result::kCannotSaveText);
    }
}

}  // namespace sealwing::sim
