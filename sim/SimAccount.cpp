#include "sim/SimAccount.h"

#include <utility>

#include "sim/SimRecipient.h"
#include "sim/SimStore.h"

namespace sealwing::sim {

SimAccount::SimAccount(std::weak_ptr<SimContext> context, AccountSetup setup, std::weak_ptr<SimStore> deliveryStore)
    : SimObject(std::move(context)), setup_(std::move(setup)), deliveryStore_(std::move(deliveryStore)) {}

outlook::AccountType SimAccount::AccountType() {
    Enter(L"Account.AccountType");
    return setup_.type;
}

std::wstring SimAccount::DisplayName() {
    Enter(L"Account.DisplayName");
    return setup_.displayName;
}

std::wstring SimAccount::SmtpAddress() {
    Enter(L"Account.SmtpAddress");
    return setup_.smtpAddress;
}

std::wstring SimAccount::UserName() {
    Enter(L"Account.UserName");
    return setup_.userName;
}

outlook::Ref<outlook::Recipient> SimAccount::CurrentUser() {
    Enter(L"Account.CurrentUser");
    if (setup_.noCurrentUser) return nullptr;
    const std::wstring name = setup_.userName.empty() ? setup_.smtpAddress : setup_.userName;
    const bool exchangeName = setup_.currentUserAddress.starts_with(L"/");
    const std::wstring address = setup_.currentUserAddress.empty() ? setup_.smtpAddress : setup_.currentUserAddress;
    AddressBookEntry user{name, address, exchangeName ? L"EX" : L"SMTP", exchangeName ? 0 : 30, {}, {}};
    return SimRecipient::Resolved(WeakContext(), user, outlook::olTo, {});
}

outlook::Ref<outlook::Store> SimAccount::DeliveryStore() {
    Enter(L"Account.DeliveryStore");
    return deliveryStore_.lock();
}

}  // namespace sealwing::sim
