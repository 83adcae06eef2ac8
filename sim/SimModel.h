#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "outlook/Mapi.h"
#include "outlook/Ref.h"
#include "sim/SimSetups.h"

namespace sealwing::sim {

class SimAccounts;
class SimApplication;
class SimCOMAddIns;
class SimCommandBars;
class SimExplorers;
class SimInspectors;
class SimNameSpace;
class SimRibbon;
class SimStore;

// The roots of one simulated Outlook's objects. The context owns them; objects reach each other through it and hold
// their owners only weakly, so nothing keeps a cycle alive.
struct SimModel {
    outlook::Ref<SimApplication> application;
    outlook::Ref<SimNameSpace> session;
    // The default store, also the first of `stores`.
    outlook::Ref<SimStore> store;
    // Every store of the profile, the default first, then in the order they were added.
    std::vector<outlook::Ref<SimStore>> stores;
    outlook::Ref<SimExplorers> explorers;
    outlook::Ref<SimInspectors> inspectors;
    outlook::Ref<SimCOMAddIns> comAddIns;
    bool comAddInsAvailable = true;
    outlook::Ref<SimAccounts> accounts;
    // The account the mail category's order puts first; nothing: the first account added.
    std::optional<std::uint32_t> defaultMailAccountId{};
    std::vector<AddressBookEntry> addressBook;
    // Word's command bars: one set for every document Word edits, for as long as Outlook runs.
    outlook::Ref<SimCommandBars> wordCommandBars;
    // Office's side of the add-in's ribbons.
    std::shared_ptr<SimRibbon> ribbon;

    // Lookups over `stores`; nullptr when none matches.
    outlook::Ref<SimStore> StoreNamed(const std::wstring& displayName) const;
    outlook::Ref<SimStore> StoreWithEntryId(const outlook::mapi::Binary& storeEntryId) const;
    // By the object model's StoreID text (hexadecimal, either case).
    outlook::Ref<SimStore> StoreWithId(const std::wstring& storeId) const;
};

}  // namespace sealwing::sim
