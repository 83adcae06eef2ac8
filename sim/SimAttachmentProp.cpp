#include "sim/SimAttachmentProp.h"

#include <utility>

#include "sim/SimAttachment.h"

namespace sealwing::sim {

using outlook::mapi::PropTag;
using outlook::mapi::PropValue;

SimAttachmentProp::SimAttachmentProp(std::weak_ptr<SimContext> context, outlook::Ref<SimAttachment> attachment)
    : SimMapiProp(std::move(context), L"Attach"), attachment_(std::move(attachment)) {}

std::optional<PropValue> SimAttachmentProp::Read(PropTag tag) {
    if (tag == outlook::mapi::PR_ATTACH_DATA_BIN && attachment_->Kind() == outlook::olByValue) {
        const std::string& bytes = attachment_->Bytes();
        return PropValue{tag, outlook::mapi::Binary(bytes.begin(), bytes.end())};
    }
    return std::nullopt;
}

outlook::HResult SimAttachmentProp::OpenStreamOn(PropTag tag, outlook::Ref<outlook::mapi::Stream>& stream) {
    const outlook::AttachmentType kind = attachment_->Kind();
    const bool binary = tag == outlook::mapi::PR_ATTACH_DATA_BIN && kind == outlook::olByValue;
    const bool object = outlook::mapi::PropId(tag) == outlook::mapi::PropId(outlook::mapi::PR_ATTACH_DATA_OBJ) &&
                        outlook::mapi::PropType(tag) == outlook::mapi::PT_OBJECT;
    if (object && kind == outlook::olEmbeddeditem) return outlook::hr::E_NoInterface;  // a message, not a stream
    if (!binary && !(object && kind == outlook::olOLE)) return outlook::hr::Mapi_E_NotFound;
    stream = std::make_shared<SimStream>(WeakContext(), attachment_->SharedBytes(), attachment_->Streaming());
    return outlook::hr::S_Ok;
}

}  // namespace sealwing::sim
