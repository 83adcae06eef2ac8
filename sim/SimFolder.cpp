#include "sim/SimFolder.h"

#include <algorithm>
#include <utility>

#include "sim/EntryId.h"
#include "sim/SimMapiFolder.h"
#include "sim/SimStore.h"

namespace sealwing::sim {

SimFolder::SimFolder(std::weak_ptr<SimContext> context, std::weak_ptr<SimStore> store, outlook::DefaultFolder kind,
                     std::wstring name, outlook::mapi::Binary entryId)
    : SimObject(std::move(context)),
      store_(std::move(store)),
      kind_(kind),
      name_(std::move(name)),
      entryId_(std::move(entryId)) {}

std::wstring SimFolder::EntryID() {
    Enter(L"MAPIFolder.EntryID");
    return EntryId::ToHex(entryId_);
}

outlook::Ref<outlook::Store> SimFolder::Store() {
    Enter(L"MAPIFolder.Store");
    return store_.lock();
}

outlook::Ref<outlook::mapi::Folder> SimFolder::MAPIOBJECT() {
    Enter(L"MAPIFolder.MAPIOBJECT");
    return std::make_shared<SimMapiFolder>(WeakContext(), shared_from_this());
}

void SimFolder::Add(const outlook::Ref<SimMailItem>& item) {
    if (std::find(items_.begin(), items_.end(), item) == items_.end()) items_.push_back(item);
}

bool SimFolder::Remove(const outlook::Ref<SimMailItem>& item) {
    const auto found = std::find(items_.begin(), items_.end(), item);
    if (found == items_.end()) return false;
    items_.erase(found);
    return true;
}

}  // namespace sealwing::sim
