#pragma once

#include <memory>
#include <optional>
#include <string>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"
#include "sim/SimSetups.h"

namespace sealwing::sim {

class SimRecipient;

// The MAPI session as the object model shows it (Application.Session).
class SimNameSpace : public outlook::NameSpace, protected SimObject {
public:
    explicit SimNameSpace(std::weak_ptr<SimContext> context);

    // The profile's user: the options' user name and SMTP address, unless SetCurrentUser chose another.
    outlook::Ref<outlook::Recipient> CurrentUser() override;
    outlook::Ref<outlook::MAPIFolder> GetDefaultFolder(outlook::DefaultFolder folder) override;
    // An item or folder of any store by its entry id, or of the store the store id names (it may be empty); an
    // unknown id throws MAPI_E_NOT_FOUND as Outlook does.
    outlook::Ref<outlook::Object> GetItemFromID(const std::wstring& entryId, const std::wstring& storeId) override;
    outlook::Ref<outlook::mapi::Session> MAPIOBJECT() override;
    outlook::Ref<outlook::Accounts> Accounts() override;  // (2007)
    std::wstring CurrentProfileName() override;           // (2007)

    // Scripting: the profile's user as an address-book entry, for example an Exchange mailbox whose address is its
    // distinguished name ("/o=.../cn=...", type "EX", user type 0) and whose Exchange user has the primary SMTP
    // address; nothing: CurrentUser returns Nothing, as for a profile that is not logged on.
    void SetCurrentUser(std::optional<AddressBookEntry> user);

private:
    outlook::Ref<SimRecipient> currentUser_;
    bool currentUserMissing_ = false;
};

}  // namespace sealwing::sim
