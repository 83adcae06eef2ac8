#include "sim/SimMessage.h"

#include <utility>

#include "sim/SimFolder.h"
#include "sim/SimMailItem.h"
#include "sim/SimStore.h"

namespace sealwing::sim {

namespace mapi = outlook::mapi;

SimMessage::SimMessage(std::weak_ptr<SimContext> context, outlook::Ref<SimMailItem> item)
    : SimMapiProp(std::move(context), L"Message"), item_(std::move(item)) {}

std::optional<mapi::PropValue> SimMessage::Read(mapi::PropTag tag) {
    switch (mapi::PropId(tag)) {
        case mapi::PropId(mapi::PR_ENTRYID):
            if (!item_->IsSaved()) return std::nullopt;
            return mapi::PropValue{mapi::PR_ENTRYID, item_->EntryIdBytes()};
        case mapi::PropId(mapi::PR_PARENT_ENTRYID): {
            auto folder = item_->Folder();
            if (!folder) return std::nullopt;
            return mapi::PropValue{mapi::PR_PARENT_ENTRYID, folder->EntryIdBytes()};
        }
        case mapi::PropId(mapi::PR_STORE_ENTRYID): {
            auto store = item_->OwnerStore();
            if (!store) return std::nullopt;
            return mapi::PropValue{mapi::PR_STORE_ENTRYID, store->EntryIdBytes()};
        }
        case mapi::PropId(mapi::PR_MESSAGE_FLAGS):
            return mapi::PropValue{mapi::PR_MESSAGE_FLAGS, item_->MessageFlags()};
        default:
            return item_->Props().Find(tag);
    }
}

PropertyBag* SimMessage::Writable() { return &item_->Props(); }

bool SimMessage::Computed(mapi::PropTag tag) {
    switch (mapi::PropId(tag)) {
        case mapi::PropId(mapi::PR_ENTRYID):
        case mapi::PropId(mapi::PR_PARENT_ENTRYID):
        case mapi::PropId(mapi::PR_STORE_ENTRYID):
        case mapi::PropId(mapi::PR_MESSAGE_FLAGS):
            return item_->IsSaved();  // a new message takes its flags before its first save, as MAPI's do
        default:
            return false;
    }
}

outlook::HResult SimMessage::CopyTo(mapi::Message& target) {
    std::shared_ptr<SimContext> context;
    if (const auto failed = EnterMapi(L"Message.CopyTo", context); failed != outlook::hr::S_Ok) return failed;
    auto* copy = dynamic_cast<SimMessage*>(&target);
    if (copy == nullptr) return result::kMapiNoSupport;
    item_->CopyContentTo(*copy->item_);
    return outlook::hr::S_Ok;
}

NamedPropertyMap* SimMessage::Names() {
    auto store = item_->OwnerStore();
    return store ? &store->NamedProperties() : nullptr;
}

void SimMessage::Changed() {
    if (auto flags = item_->Props().Find(mapi::PR_MESSAGE_FLAGS)) {
        item_->SetMessageFlags(std::get<std::int32_t>(flags->data));
        item_->Props().Remove(mapi::PR_MESSAGE_FLAGS);
    }
    item_->MarkModified();
}

outlook::HResult SimMessage::Commit() { return item_->Commit(); }

}  // namespace sealwing::sim
