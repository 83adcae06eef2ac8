#include "sim/SimAttachment.h"

#include <stdexcept>
#include <utility>

#include "platform/Files.h"
#include "platform/Platform.h"
#include "sim/SimAttachmentProp.h"

namespace sealwing::sim {

SimAttachment::SimAttachment(std::weak_ptr<SimContext> context, std::wstring fileName, std::wstring displayName,
                             outlook::AttachmentType type, std::string bytes, bool saved)
    : SimObject(std::move(context)),
      fileName_(std::move(fileName)),
      displayName_(std::move(displayName)),
      type_(type),
      bytes_(std::make_shared<const std::string>(std::move(bytes))),
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
    savedTo_.push_back(path);
    platform::FileSystem* files = platform::CurrentPlatform().files;
    if (files == nullptr) throw std::logic_error("the simulated Outlook writes attachments through the files port");
    if (!files->ReplaceFile(path, *bytes_, platform::FileAccess::Default).ok) {
        throw outlook::ComError(result::kAccessDenied, result::kCannotSaveText);
    }
}

outlook::Ref<outlook::mapi::Prop> SimAttachment::MAPIOBJECT() {
    Enter(L"Attachment.MAPIOBJECT");
    return std::make_shared<SimAttachmentProp>(WeakContext(), shared_from_this());
}

outlook::Ref<SimAttachment> SimAttachment::Copy() const {
    auto copy = std::make_shared<SimAttachment>(WeakContext(), fileName_, displayName_, type_, std::string(), saved_);
    copy->bytes_ = bytes_;  // the bytes never change: both share them
    copy->streaming_ = streaming_;
    return copy;
}

}  // namespace sealwing::sim
