#pragma once

#include <memory>
#include <optional>

#include "outlook/Mapi.h"
#include "sim/SimMapiProp.h"

namespace sealwing::sim {

class SimAttachment;

// Attachment.MAPIOBJECT: the attachment's IMAPIProp. Its data is a stream of PR_ATTACH_DATA_BIN for a file attached
// by value and of PR_ATTACH_DATA_OBJ for an embedded OLE object; an attached Outlook item holds a message there, which
// no stream can give, so only Attachment.SaveAsFile reaches its bytes.
class SimAttachmentProp : public SimMapiProp<outlook::mapi::Prop> {
public:
    SimAttachmentProp(std::weak_ptr<SimContext> context, outlook::Ref<SimAttachment> attachment);

protected:
    std::optional<outlook::mapi::PropValue> Read(outlook::mapi::PropTag tag) override;
    outlook::HResult OpenStreamOn(outlook::mapi::PropTag tag, outlook::Ref<outlook::mapi::Stream>& stream) override;

private:
    outlook::Ref<SimAttachment> attachment_;
};

}  // namespace sealwing::sim
