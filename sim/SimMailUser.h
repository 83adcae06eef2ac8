#pragma once

#include <memory>
#include <optional>

#include "outlook/Mapi.h"
#include "sim/SimMapiProp.h"
#include "sim/SimSetups.h"

namespace sealwing::sim {

// AddressEntry.MAPIOBJECT: display name, address type and address; PR_SMTP_ADDRESS_W and PR_EMS_AB_PROXY_ADDRESSES
// only when the entry has them (a one-off SMTP entry has no PR_SMTP_ADDRESS_W unless its book entry gives one).
class SimMailUser : public SimMapiProp<outlook::mapi::MailUser> {
public:
    SimMailUser(std::weak_ptr<SimContext> context, const AddressBookEntry& entry);

protected:
    std::optional<outlook::mapi::PropValue> Read(outlook::mapi::PropTag tag) override;

private:
    PropertyBag props_;
};

}  // namespace sealwing::sim
