#include "sim/SimRecipients.h"

#include <algorithm>
#include <utility>

#include "sim/SimMailItem.h"
#include "sim/SimRecipient.h"

namespace sealwing::sim {

SimRecipients::SimRecipients(std::weak_ptr<SimContext> context, std::weak_ptr<SimMailItem> item)
    : SimObject(std::move(context)), item_(std::move(item)) {}

int SimRecipients::Count() {
    Enter(L"Recipients.Count");
    return static_cast<int>(recipients_.size());
}

outlook::Ref<outlook::Recipient> SimRecipients::Item(int index) {
    Enter(L"Recipients.Item");
    return ItemAt(recipients_, index);
}

outlook::Ref<outlook::Recipient> SimRecipients::Add(const std::wstring& name) {
    Enter(L"Recipients.Add");
    auto recipient = std::make_shared<SimRecipient>(WeakContext(), name, outlook::olTo, item_);
    recipients_.push_back(recipient);
    if (auto item = item_.lock()) item->MarkModified();
    return recipient;
}

void SimRecipients::Remove(int index) {
    Enter(L"Recipients.Remove");
    const auto& recipient = ItemAt(recipients_, index);
    recipients_.erase(std::find(recipients_.begin(), recipients_.end(), recipient));
    if (auto item = item_.lock()) item->MarkModified();
}

outlook::Ref<SimRecipient> SimRecipients::AddResolved(const AddressBookEntry& entry, outlook::RecipientType type) {
    auto recipient = SimRecipient::Resolved(WeakContext(), entry, type, item_);
    recipients_.push_back(recipient);
    return recipient;
}

void SimRecipients::AddCopy(const SimRecipient& source) { recipients_.push_back(source.CopyFor(item_)); }

}  // namespace sealwing::sim
