#include "sim/SimMapiFolder.h"

#include <utility>

#include "sim/SimFolder.h"
#include "sim/SimMailItem.h"
#include "sim/SimMessage.h"
#include "sim/SimProps.h"
#include "sim/SimStore.h"

namespace sealwing::sim {

namespace mapi = outlook::mapi;

SimMapiFolder::SimMapiFolder(std::weak_ptr<SimContext> context, outlook::Ref<SimFolder> folder)
    : SimMapiProp(std::move(context), L"Folder"), folder_(std::move(folder)) {}

outlook::HResult SimMapiFolder::DeleteMessages(const std::vector<mapi::Binary>& entryIds) {
    std::shared_ptr<SimContext> context;
    if (const auto failed = EnterMapi(L"Folder.DeleteMessages", context); failed != outlook::hr::S_Ok) return failed;
    bool missing = false;
    for (const mapi::Binary& entryId : entryIds) {
        outlook::Ref<SimMailItem> found;
        for (const auto& item : folder_->Items()) {
            if (item->EntryIdBytes() == entryId) found = item;
        }
        if (found) {
            found->Delete();
        } else {
            missing = true;
        }
    }
    return missing ? result::kMapiPartialCompletion : outlook::hr::S_Ok;
}

outlook::HResult SimMapiFolder::CreateMessage(outlook::Ref<mapi::Message>& created) {
    created.reset();
    std::shared_ptr<SimContext> context;
    if (const auto failed = EnterMapi(L"Folder.CreateMessage", context); failed != outlook::hr::S_Ok) return failed;
    created = std::make_shared<SimMessage>(WeakContext(), SimMailItem::Create(WeakContext(), folder_));
    return outlook::hr::S_Ok;
}

std::optional<mapi::PropValue> SimMapiFolder::Read(mapi::PropTag tag) {
    switch (mapi::PropId(tag)) {
        case mapi::PropId(mapi::PR_ENTRYID):
            return mapi::PropValue{mapi::PR_ENTRYID, folder_->EntryIdBytes()};
        case mapi::PropId(mapi::PR_STORE_ENTRYID): {
            auto store = folder_->OwnerStore();
            if (!store) return std::nullopt;
            return mapi::PropValue{mapi::PR_STORE_ENTRYID, store->EntryIdBytes()};
        }
        case mapi::PropId(prop::PR_DISPLAY_NAME_W):
            return mapi::PropValue{prop::PR_DISPLAY_NAME_W, folder_->Name()};
        case mapi::PropId(prop::PR_CONTENT_COUNT):
            return mapi::PropValue{prop::PR_CONTENT_COUNT, static_cast<std::int32_t>(folder_->Items().size())};
        default:
            return std::nullopt;
    }
}

NamedPropertyMap* SimMapiFolder::Names() {
    auto store = folder_->OwnerStore();
    return store ? &store->NamedProperties() : nullptr;
}

}  // namespace sealwing::sim
