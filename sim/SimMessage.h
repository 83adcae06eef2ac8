#pragma once

#include <memory>
#include <optional>

#include "outlook/Mapi.h"
#include "sim/SimMapiProp.h"

namespace sealwing::sim {

class SimMailItem;

// MailItem.MAPIOBJECT and the messages MsgStore::OpenEntry opens: a MAPI view of the item itself. PR_ENTRYID (once
// saved), PR_PARENT_ENTRYID, PR_STORE_ENTRYID and PR_MESSAGE_FLAGS are computed from the item; everything else,
// subject, body and transport headers included, is the item's own property bag.
class SimMessage : public SimMapiProp<outlook::mapi::Message> {
public:
    SimMessage(std::weak_ptr<SimContext> context, outlook::Ref<SimMailItem> item);

    const outlook::Ref<SimMailItem>& Item() const { return item_; }

    // Into another simulated message only; MAPI_E_NO_SUPPORT otherwise.
    outlook::HResult CopyTo(outlook::mapi::Message& target) override;

protected:
    std::optional<outlook::mapi::PropValue> Read(outlook::mapi::PropTag tag) override;
    PropertyBag* Writable() override;
    bool Computed(outlook::mapi::PropTag tag) override;
    NamedPropertyMap* Names() override;
    void Changed() override;
    // Saves the item: a new message gets its entry id.
    outlook::HResult Commit() override;

private:
    outlook::Ref<SimMailItem> item_;
};

}  // namespace sealwing::sim
