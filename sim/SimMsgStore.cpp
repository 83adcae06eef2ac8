#include "sim/SimMsgStore.h"

#include <utility>

#include "sim/SimFolder.h"
#include "sim/SimMailItem.h"
#include "sim/SimMapiFolder.h"
#include "sim/SimMessage.h"
#include "sim/SimStore.h"

namespace sealwing::sim {

namespace mapi = outlook::mapi;

SimMsgStore::SimMsgStore(std::weak_ptr<SimContext> context, outlook::Ref<SimStore> store)
    : SimMapiProp(std::move(context), L"MsgStore"), store_(std::move(store)) {}

outlook::HResult SimMsgStore::OpenEntry(const mapi::Binary& entryId, outlook::Ref<mapi::Prop>& opened) {
    std::shared_ptr<SimContext> context;
    opened.reset();
    if (const auto failed = EnterMapi(L"MsgStore.OpenEntry", context); failed != outlook::hr::S_Ok) return failed;
    if (auto folder = store_->FindFolder(entryId)) {
        opened = std::make_shared<SimMapiFolder>(WeakContext(), folder);
        return outlook::hr::S_Ok;
    }
    if (auto item = store_->FindItem(entryId)) {
        opened = std::make_shared<SimMessage>(WeakContext(), item);
        return outlook::hr::S_Ok;
    }
    return outlook::hr::Mapi_E_NotFound;
}

std::optional<mapi::PropValue> SimMsgStore::Read(mapi::PropTag tag) {
    if (mapi::PropId(tag) == mapi::PropId(mapi::PR_ENTRYID)) {
        return mapi::PropValue{mapi::PR_ENTRYID, store_->EntryIdBytes()};
    }
    return store_->Props().Find(tag);
}

PropertyBag* SimMsgStore::Writable() { return &store_->Props(); }

bool SimMsgStore::Computed(mapi::PropTag tag) { return mapi::PropId(tag) == mapi::PropId(mapi::PR_ENTRYID); }

NamedPropertyMap* SimMsgStore::Names() { return &store_->NamedProperties(); }

}  // namespace sealwing::sim
