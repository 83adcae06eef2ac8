#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "outlook/Mapi.h"
#include "outlook/ObjectModel.h"
#include "sim/NamedPropertyMap.h"
#include "sim/PropertyBag.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimFolder;
class SimMailItem;

// A message store with the default folders (Deleted Items, Outbox, Sent Items, Inbox, Drafts). It hands out the
// entry ids of its folders and items and keeps the named-property map of everything in it.
class SimStore : public outlook::Store, public std::enable_shared_from_this<SimStore>, protected SimObject {
public:
    static outlook::Ref<SimStore> Create(std::weak_ptr<SimContext> context, std::wstring displayName);

    std::wstring DisplayName() override;
    outlook::Ref<outlook::MAPIFolder> GetDefaultFolder(outlook::DefaultFolder folder) override;  // (2010)

    // The simulation's own access, no gate.
    outlook::Ref<SimFolder> Folder(outlook::DefaultFolder folder) const;  // nullptr for a folder the store lacks
    const std::vector<outlook::Ref<SimFolder>>& Folders() const { return folders_; }
    const std::wstring& Name() const { return displayName_; }
    const outlook::mapi::Binary& EntryIdBytes() const { return entryId_; }
    std::wstring StoreId() const;
    outlook::mapi::Binary NewEntryId();
    outlook::Ref<SimFolder> FindFolder(const outlook::mapi::Binary& entryId) const;
    outlook::Ref<SimMailItem> FindItem(const outlook::mapi::Binary& entryId) const;
    NamedPropertyMap& NamedProperties() { return namedProperties_; }
    PropertyBag& Props() { return props_; }

    // Use Create.
    SimStore(std::weak_ptr<SimContext> context, std::wstring displayName, outlook::mapi::Guid identity);

private:
    std::wstring displayName_;
    outlook::mapi::Guid identity_;
    outlook::mapi::Binary entryId_;
    std::uint32_t nextSerial_ = 1;
    std::vector<outlook::Ref<SimFolder>> folders_;
    NamedPropertyMap namedProperties_;
    PropertyBag props_;
};

}  // namespace sealwing::sim
