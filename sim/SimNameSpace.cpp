#include "sim/SimNameSpace.h"

#include <utility>
#include <vector>

#include "sim/EntryId.h"
#include "sim/SimAccounts.h"
#include "sim/SimFolder.h"
#include "sim/SimMailItem.h"
#include "sim/SimMapiSession.h"
#include "sim/SimRecipient.h"
#include "sim/SimStore.h"

namespace sealwing::sim {

SimNameSpace::SimNameSpace(std::weak_ptr<SimContext> context) : SimObject(std::move(context)) {}

outlook::Ref<outlook::Recipient> SimNameSpace::CurrentUser() {
    auto context = Enter(L"NameSpace.CurrentUser");
    if (currentUserMissing_) return nullptr;
    if (!currentUser_) {
        const SimOptions& options = context->Options();
        AddressBookEntry user{options.userName, options.userAddress, L"SMTP", 30, {}, {}};
        currentUser_ = SimRecipient::Resolved(WeakContext(), user, outlook::olTo, {});
    }
    return currentUser_;
}

void SimNameSpace::SetCurrentUser(std::optional<AddressBookEntry> user) {
    currentUserMissing_ = !user;
    currentUser_ = user ? SimRecipient::Resolved(WeakContext(), *user, outlook::olTo, {}) : nullptr;
}

outlook::Ref<outlook::MAPIFolder> SimNameSpace::GetDefaultFolder(outlook::DefaultFolder folder) {
    auto found = Enter(L"NameSpace.GetDefaultFolder")->Model().store->Folder(folder);
    if (!found) throw outlook::ComError(outlook::hr::E_InvalidArg, result::kInvalidArgText);
    return found;
}

outlook::Ref<outlook::Object> SimNameSpace::GetItemFromID(const std::wstring& entryId, const std::wstring& storeId) {
    auto context = Enter(L"NameSpace.GetItemFromID");
    const SimModel& model = context->Model();
    const auto id = EntryId::FromHex(entryId);
    if (id && !id->empty()) {
        // A store id narrows the search to that store; one naming no store of the profile finds nothing.
        std::vector<outlook::Ref<SimStore>> searched = model.stores;
        if (!storeId.empty()) {
            searched.clear();
            if (auto named = model.StoreWithId(storeId)) searched.push_back(std::move(named));
        }
        for (const auto& store : searched) {
            if (auto item = store->FindItem(*id)) return item;
            if (auto folder = store->FindFolder(*id)) return folder;
        }
    }
    throw outlook::ComError(outlook::hr::Mapi_E_NotFound, result::kNotFoundText);
}

outlook::Ref<outlook::mapi::Session> SimNameSpace::MAPIOBJECT() {
    Enter(L"NameSpace.MAPIOBJECT");
    return std::make_shared<SimMapiSession>(WeakContext());
}

outlook::Ref<outlook::Accounts> SimNameSpace::Accounts() { return Enter(L"NameSpace.Accounts")->Model().accounts; }

std::wstring SimNameSpace::CurrentProfileName() {
    return Enter(L"NameSpace.CurrentProfileName")->Options().profileName;
}

}  // namespace sealwing::sim
