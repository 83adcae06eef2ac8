#pragma once

#include <memory>
#include <string>
#include <vector>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"
#include "sim/SimSetups.h"

namespace sealwing::sim {

class SimAddressEntry;
class SimMailItem;

// A recipient: a typed name until Resolve finds its address-book entry (by name or address, without regard to case)
// or, for a name with an "@", makes it a one-off SMTP entry.
class SimRecipient : public outlook::Recipient, protected SimObject {
public:
    SimRecipient(std::weak_ptr<SimContext> context, std::wstring name, outlook::RecipientType type,
                 std::weak_ptr<SimMailItem> item);
    // A recipient resolved to the entry already (received mail, the current user).
    static outlook::Ref<SimRecipient> Resolved(std::weak_ptr<SimContext> context, const AddressBookEntry& entry,
                                               outlook::RecipientType type, std::weak_ptr<SimMailItem> item);

    outlook::Ref<outlook::Application> Application() override;
    std::wstring Name() override;
    // Empty until resolved.
    std::wstring Address() override;
    outlook::RecipientType Type() override;
    void SetType(outlook::RecipientType type) override;
    // Nothing until resolved.
    outlook::Ref<outlook::AddressEntry> AddressEntry() override;
    bool Resolve() override;

    // The address book's entry for a name or address; nothing when it has none.
    static const AddressBookEntry* Lookup(const std::vector<AddressBookEntry>& book, const std::wstring& name);

    // The simulation's own access, no gate.
    bool IsResolved() const { return entry_ != nullptr; }
    outlook::RecipientType Kind() const { return type_; }
    const std::wstring& TypedName() const { return name_; }
    // The address-book entry it resolved to; nullptr while unresolved.
    const AddressBookEntry* ResolvedEntry() const;
    // The same recipient, resolved as it is, for another item.
    outlook::Ref<SimRecipient> CopyFor(std::weak_ptr<SimMailItem> item) const {
        auto copy = std::make_shared<SimRecipient>(WeakContext(), name_, type_, std::move(item));
        copy->entry_ = entry_;
        return copy;
    }

private:
    std::wstring name_;
    outlook::RecipientType type_;
    std::weak_ptr<SimMailItem> item_;
    outlook::Ref<SimAddressEntry> entry_;
};

}  // namespace sealwing::sim
