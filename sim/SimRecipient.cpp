#include "sim/SimRecipient.h"

#include <utility>

#include "platform/Text.h"
#include "sim/SimAddressEntry.h"
#include "sim/SimApplication.h"
#include "sim/SimMailItem.h"

namespace sealwing::sim {

SimRecipient::SimRecipient(std::weak_ptr<SimContext> context, std::wstring name, outlook::RecipientType type,
                           std::weak_ptr<SimMailItem> item)
    : SimObject(std::move(context)), name_(std::move(name)), type_(type), item_(std::move(item)) {}

outlook::Ref<SimRecipient> SimRecipient::Resolved(std::weak_ptr<SimContext> context, const AddressBookEntry& entry,
                                                  outlook::RecipientType type, std::weak_ptr<SimMailItem> item) {
    auto recipient = std::make_shared<SimRecipient>(context, entry.name, type, std::move(item));
    recipient->entry_ = std::make_shared<SimAddressEntry>(std::move(context), entry);
    return recipient;
}

outlook::Ref<outlook::Application> SimRecipient::Application() {
    return Enter(L"Recipient.Application")->Model().application;
}

std::wstring SimRecipient::Name() {
    Enter(L"Recipient.Name");
    return name_;
}

const AddressBookEntry* SimRecipient::ResolvedEntry() const { return entry_ ? &entry_->Entry() : nullptr; }

std::wstring SimRecipient::Address() {
    Enter(L"Recipient.Address");
    return entry_ ? entry_->Entry().address : std::wstring();
}

outlook::RecipientType SimRecipient::Type() {
    Enter(L"Recipient.Type");
    return type_;
}

void SimRecipient::SetType(outlook::RecipientType type) {
    Enter(L"Recipient.SetType");
    type_ = type;
    if (auto item = item_.lock()) item->MarkModified();
}

outlook::Ref<outlook::AddressEntry> SimRecipient::AddressEntry() {
    Enter(L"Recipient.AddressEntry");
    return entry_;
}

bool SimRecipient::Resolve() {
    auto context = Enter(L"Recipient.Resolve");
    if (entry_) return true;
    AddressBookEntry entry;
    if (const AddressBookEntry* found = Lookup(context->Model().addressBook, name_)) {
        entry = *found;
    } else if (name_.find(L'@') != std::wstring::npos) {
        entry = AddressBookEntry{name_, name_, L"SMTP", 30, {}, {}};  // a one-off entry
    } else {
        return false;
    }
    name_ = entry.name;
    entry_ = std::make_shared<SimAddressEntry>(WeakContext(), std::move(entry));
    return true;
}

const AddressBookEntry* SimRecipient::Lookup(const std::vector<AddressBookEntry>& book, const std::wstring& name) {
    for (const AddressBookEntry& entry : book) {
        if (platform::EqualsIgnoreCase(entry.name, name) || platform::EqualsIgnoreCase(entry.address, name) ||
            (!entry.primarySmtpAddress.empty() && platform::EqualsIgnoreCase(entry.primarySmtpAddress, name))) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace sealwing::sim
