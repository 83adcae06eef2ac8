#pragma once

#include <memory>
#include <string>

#include "addin/outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimRecipient;

// The MAPI session as the object model shows it (Application.Session).
class SimNameSpace : public outlook::NameSpace, protected SimObject {
public:
    explicit SimNameSpace(std::weak_ptr<SimContext> context);

    outlook::Ref<outlook::Recipient> CurrentUser() override;
    outlook::Ref<outlook::MAPIFolder> GetDefaultFolder(outlook::DefaultFolder folder) override;
    // An item or folder of any store by its entry id, or of the store the store id names (it may be empty); an
    // unknown id throws MAPI_E_NOT_FOUND as Outlook does.
    outlook::Ref<outlook::Object> GetItemFromID(const std::wstring& entryId, const std::wstring& storeId) override;
    outlook::Ref<outlook::mapi::Session> MAPIOBJECT() override;
    outlook::Ref<outlook::Accounts> Accounts() override;  // (2007)
    std::wstring CurrentProfileName() override;           // (2007)

private:
    outlook::Ref<SimRecipient> currentUser_;
};

}  // namespace sealwing::sim
