#include "sim/SimAccount.h"

#include <utility>

#include "sim/SimRecipient.h"
#include "sim/SimStore.h"

namespace sealwing::sim {

SimAccount::SimAccount(std::weak_ptr<SimContext> context, AccountSpec spec)
    : SimObject(std::move(context)), spec_(std::move(spec)) {}

outlook::AccountType SimAccount::AccountType() {
    Enter(L"Account.AccountType");
    return spec_.type;
}

std::wstring SimAccount::DisplayName() {
    Enter(L"Account.DisplayName");
    return spec_.displayName;
}

std::wstring SimAccount::SmtpAddress() {
    Enter(L"Account.SmtpAddress");
    return spec_.smtpAddress;
}

std::wstring SimAccount::UserName() {
    Enter(L"Account.UserName");
    return spec_.userName;
}

outlook::Ref<outlook::Recipient> SimAccount::CurrentUser() {
    Enter(L"Account.CurrentUser");
    const std::wstring name = spec_.userName.empty() ? spec_.smtpAddress : spec_.userName;
    AddressBookEntry user{name, spec_.smtpAddress, L"SMTP", 30, {}, {}};
    return SimRecipient::Resolved(WeakContext(), user, outlook::olTo, {});
}

outlook::Ref<outlook::Store> SimAccount::DeliveryStore() { return Enter(L"Account.DeliveryStore")->Model().store; }

}  // namespace sealwing::sim
