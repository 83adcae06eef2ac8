#include "sim/SimAddressEntry.h"

#include <utility>

#include "sim/SimExchangeUser.h"
#include "sim/SimMailUser.h"

namespace sealwing::sim {
namespace {

constexpr int kExchangeUser = 0;        // olExchangeUserAddressEntry
constexpr int kExchangeRemoteUser = 5;  // olExchangeRemoteUserAddressEntry

}  // namespace

SimAddressEntry::SimAddressEntry(std::weak_ptr<SimContext> context, AddressBookEntry entry)
    : SimObject(std::move(context)), entry_(std::move(entry)) {}

std::wstring SimAddressEntry::Name() {
    Enter(L"AddressEntry.Name");
    return entry_.name;
}

std::wstring SimAddressEntry::Address() {
    Enter(L"AddressEntry.Address");
    return entry_.address;
}

outlook::Ref<outlook::mapi::MailUser> SimAddressEntry::MAPIOBJECT() {
    Enter(L"AddressEntry.MAPIOBJECT");
    return std::make_shared<SimMailUser>(WeakContext(), entry_);
}

int SimAddressEntry::AddressEntryUserType() {
    Enter(L"AddressEntry.AddressEntryUserType");
    return entry_.userType;
}

outlook::Ref<outlook::ExchangeUser> SimAddressEntry::GetExchangeUser() {
    Enter(L"AddressEntry.GetExchangeUser");
    if (entry_.userType != kExchangeUser && entry_.userType != kExchangeRemoteUser) return nullptr;
    return std::make_shared<SimExchangeUser>(WeakContext(), entry_.primarySmtpAddress);
}

}  // namespace sealwing::sim
