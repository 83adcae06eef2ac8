#pragma once

#include <memory>
#include <string>
#include <vector>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"
#include "sim/SimSetups.h"

namespace sealwing::sim {

class SimMailItem;
class SimRecipient;

// MailItem.Recipients.
class SimRecipients : public outlook::Recipients, protected SimObject {
public:
    SimRecipients(std::weak_ptr<SimContext> context, std::weak_ptr<SimMailItem> item);

    int Count() override;
    outlook::Ref<outlook::Recipient> Item(int index) override;
    // A new unresolved recipient of type To.
    outlook::Ref<outlook::Recipient> Add(const std::wstring& name) override;
    void Remove(int index) override;

    // The simulation's own access, no gate.
    outlook::Ref<SimRecipient> AddResolved(const AddressBookEntry& entry, outlook::RecipientType type);
    const std::vector<outlook::Ref<SimRecipient>>& List() const { return recipients_; }
    void AddCopy(const SimRecipient& source);

private:
    std::weak_ptr<SimMailItem> item_;
    std::vector<outlook::Ref<SimRecipient>> recipients_;
};

}  // namespace sealwing::sim
