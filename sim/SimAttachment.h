#pragma once

#include <memory>
#include <string>
#include <vector>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"
#include "sim/SimStream.h"

namespace sealwing::sim {

// One attachment and its bytes.
class SimAttachment : public outlook::Attachment,
                      public std::enable_shared_from_this<SimAttachment>,
                      protected SimObject {
public:
    SimAttachment(std::weak_ptr<SimContext> context, std::wstring fileName, std::wstring displayName,
                  outlook::AttachmentType type, std::string bytes, bool saved);

    std::wstring FileName() override;
    std::wstring DisplayName() override;
    // olOLE until the item is saved, as Outlook reports a new attachment; then the type it was added with.
    outlook::AttachmentType Type() override;
    // Writes the bytes through the files port; a file that cannot be written throws.
    void SaveAsFile(const std::wstring& path) override;
    outlook::Ref<outlook::mapi::Prop> MAPIOBJECT() override;

    // The simulation's own access, no gate.
    const std::string& Bytes() const { return *bytes_; }
    const std::shared_ptr<const std::string>& SharedBytes() const { return bytes_; }
    // The kind it was added as, whatever Type reports before the item is saved.
    outlook::AttachmentType Kind() const { return type_; }
    // The same attachment for another item, saved with it.
    outlook::Ref<SimAttachment> Copy() const;
    void Commit() { saved_ = true; }
    // How its data streams hand out the bytes.
    const StreamBehaviour& Streaming() const { return streaming_; }
    void SetStreaming(StreamBehaviour behaviour) { streaming_ = behaviour; }
    // Every path SaveAsFile was asked to write to, in order.
    const std::vector<std::wstring>& SavedTo() const { return savedTo_; }

private:
    std::wstring fileName_;
    std::wstring displayName_;
    outlook::AttachmentType type_;
    std::shared_ptr<const std::string> bytes_;
    bool saved_;
    StreamBehaviour streaming_{};
    std::vector<std::wstring> savedTo_;
};

}  // namespace sealwing::sim
