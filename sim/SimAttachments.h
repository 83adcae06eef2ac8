#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimAttachment;
class SimMailItem;

// MailItem.Attachments. Files are read and written through the installed file-system port, the same disk the
// add-in sees.
class SimAttachments : public outlook::Attachments, protected SimObject {
public:
    SimAttachments(std::weak_ptr<SimContext> context, std::weak_ptr<SimMailItem> item);

    int Count() override;
    outlook::Ref<outlook::Attachment> Item(int index) override;
    // Reads the file now; a file that cannot be read throws as Outlook does. The position is not simulated.
    outlook::Ref<outlook::Attachment> Add(const std::wstring& sourcePath, outlook::AttachmentType type, int position,
                                          const std::wstring& displayName) override;

    // The simulation's own access, no gate.
    // An attachment of a delivered item: saved already.
    outlook::Ref<SimAttachment> AddSaved(std::wstring fileName, std::string bytes);
    // An attachment of a draft, as Attachments.Add makes it, of any kind: a file (olByValue), an Outlook item
    // (olEmbeddeditem) or an OLE object (olOLE).
    outlook::Ref<SimAttachment> AddNew(std::wstring fileName, std::string bytes, outlook::AttachmentType kind);
    void AddCopy(const SimAttachment& source);
    // The user deletes the attachment in the item's window (1-based, as the collection counts); the item has
    // changes to save. False for an index out of range.
    bool Remove(int index);
    // The item was saved: its new attachments read their real type from now on.
    void Commit();
    std::size_t Size() const { return attachments_.size(); }
    const std::vector<outlook::Ref<SimAttachment>>& List() const { return attachments_; }

private:
    std::weak_ptr<SimMailItem> item_;
    std::vector<outlook::Ref<SimAttachment>> attachments_;
};

}  // namespace sealwing::sim
