#include "sim/SimAttachments.h"

#include <stdexcept>
#include <utility>

#include "platform/Files.h"
#include "platform/Platform.h"
#include "sim/SimAttachment.h"
#include "sim/SimMailItem.h"

namespace sealwing::sim {
namespace {

std::wstring FileNameOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

SimAttachments::SimAttachments(std::weak_ptr<SimContext> context, std::weak_ptr<SimMailItem> item)
    : SimObject(std::move(context)), item_(std::move(item)) {}

int SimAttachments::Count() {
    Enter(L"Attachments.Count");
    return static_cast<int>(attachments_.size());
}

outlook::Ref<outlook::Attachment> SimAttachments::Item(int index) {
    Enter(L"Attachments.Item");
    return ItemAt(attachments_, index);
}

outlook::Ref<outlook::Attachment> SimAttachments::Add(const std::wstring& sourcePath, outlook::AttachmentType type,
                                                      int position, const std::wstring& displayName) {
    (void)position;
    Enter(L"Attachments.Add");
    platform::FileSystem* files = platform::CurrentPlatform().files;
    if (files == nullptr) throw std::logic_error("the simulated Outlook reads attachments through the files port");
    platform::ReadResult read = files->ReadFile(sourcePath);
    if (!read.ok) throw outlook::ComError(result::kFileNotFound, result::kFileNotFoundText);
    const std::wstring fileName = FileNameOf(sourcePath);
    auto attachment = std::make_shared<SimAttachment>(
        WeakContext(), fileName, displayName.empty() ? fileName : displayName, type, std::move(read.bytes), false);
    attachments_.push_back(attachment);
    if (auto item = item_.lock()) item->MarkModified();
    return attachment;
}

outlook::Ref<SimAttachment> SimAttachments::AddSaved(std::wstring fileName, std::string bytes) {
    const std::wstring displayName = fileName;
    auto attachment = std::make_shared<SimAttachment>(WeakContext(), std::move(fileName), displayName,
                                                      outlook::olByValue, std::move(bytes), true);
    attachments_.push_back(attachment);
    return attachment;
}

outlook::Ref<SimAttachment> SimAttachments::AddNew(std::wstring fileName, std::string bytes,
                                                   outlook::AttachmentType kind) {
    const std::wstring displayName = fileName;
    auto attachment =
        std::make_shared<SimAttachment>(WeakContext(), std::move(fileName), displayName, kind, std::move(bytes), false);
    attachments_.push_back(attachment);
    if (auto item = item_.lock()) item->MarkModified();
    return attachment;
}

void SimAttachments::AddCopy(const SimAttachment& source) { attachments_.push_back(source.Copy()); }

bool SimAttachments::Remove(int index) {
    if (index < 1 || static_cast<std::size_t>(index) > attachments_.size()) return false;
    attachments_.erase(attachments_.begin() + (index - 1));
    if (auto item = item_.lock()) item->MarkModified();
    return true;
}

void SimAttachments::Commit() {
    for (const auto& attachment : attachments_) attachment->Commit();
}

}  // namespace sealwing::sim
