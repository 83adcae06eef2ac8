#pragma once

#include <memory>
#include <string>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

// One attachment and its bytes.
class SimAttachment : public outlook::Attachment, protected SimObject {
public:
    SimAttachment(std::weak_ptr<SimContext> context, std::wstring fileName, std::wstring displayName,
                  outlook::AttachmentType type, std::string bytes, bool saved);

    std::wstring FileName() override;
    std::wstring DisplayName() override;
    // olOLE until the item is saved, as Outlook reports a new attachment; then the type it was added with.
    outlook::AttachmentType Type() override;
    // Writes the bytes through the files port; a file that cannot be written throws.
    void SaveAsFile(const std::wstring& path) override;

    // The simulation's own access, no gate.
    const std::string& Bytes() const { return bytes_; }
    // The same attachment for another item, saved with it.
    outlook::Ref<SimAttachment> Copy() const {
        return std::make_shared<SimAttachment>(WeakContext(), fileName_, displayName_, type_, bytes_, saved_);
    }
    void Commit() { saved_ = true; }

private:
    std::wstring fileName_;
    std::wstring displayName_;
    outlook::AttachmentType type_;
    std::string bytes_;
    bool saved_;
};

}  // namespace sealwing::sim
