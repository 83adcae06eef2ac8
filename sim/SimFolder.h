#pragma once

#include <memory>
#include <string>
#include <vector>

#include "outlook/Mapi.h"
#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimMailItem;
class SimStore;

// A folder of a simulated store, holding its items in the order they arrived.
class SimFolder : public outlook::MAPIFolder, public std::enable_shared_from_this<SimFolder>, protected SimObject {
public:
    SimFolder(std::weak_ptr<SimContext> context, std::weak_ptr<SimStore> store, outlook::DefaultFolder kind,
              std::wstring name, outlook::mapi::Binary entryId);

    std::wstring EntryID() override;
    outlook::Ref<outlook::Store> Store() override;  // (2007)
    outlook::Ref<outlook::mapi::Folder> MAPIOBJECT() override;

    // The simulation's own access, no gate.
    outlook::DefaultFolder Kind() const { return kind_; }
    const std::wstring& Name() const { return name_; }
    const outlook::mapi::Binary& EntryIdBytes() const { return entryId_; }
    outlook::Ref<SimStore> OwnerStore() const { return store_.lock(); }
    const std::vector<outlook::Ref<SimMailItem>>& Items() const { return items_; }
    void Add(const outlook::Ref<SimMailItem>& item);
    // False when the item is not in the folder.
    bool Remove(const outlook::Ref<SimMailItem>& item);

private:
    std::weak_ptr<SimStore> store_;
    outlook::DefaultFolder kind_;
    std::wstring name_;
    outlook::mapi::Binary entryId_;
    std::vector<outlook::Ref<SimMailItem>> items_;
};

}  // namespace sealwing::sim
