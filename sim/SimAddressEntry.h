#pragma once

#include <memory>
#include <string>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"
#include "sim/SimSetups.h"

namespace sealwing::sim {

// A resolved recipient's address-book entry.
class SimAddressEntry : public outlook::AddressEntry, protected SimObject {
public:
    SimAddressEntry(std::weak_ptr<SimContext> context, AddressBookEntry entry);

    std::wstring Name() override;
    std::wstring Address() override;
    outlook::Ref<outlook::mapi::MailUser> MAPIOBJECT() override;
    int AddressEntryUserType() override;  // (2007)
    // An Exchange user (user type 0, or 5 for a remote user); Nothing for every other entry (2007).
    outlook::Ref<outlook::ExchangeUser> GetExchangeUser() override;

    const AddressBookEntry& Entry() const { return entry_; }

private:
    AddressBookEntry entry_;
};

}  // namespace sealwing::sim
