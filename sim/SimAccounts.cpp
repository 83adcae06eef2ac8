#include "sim/SimAccounts.h"

#include <utility>

#include "sim/SimAccount.h"

namespace sealwing::sim {

SimAccounts::SimAccounts(std::weak_ptr<SimContext> context) : SimObject(std::move(context)) {}

int SimAccounts::Count() {
    Enter(L"Accounts.Count");
    return static_cast<int>(accounts_.size());
}

outlook::Ref<outlook::Account> SimAccounts::Item(int index) {
    Enter(L"Accounts.Item");
    return ItemAt(accounts_, index);
}

}  // namespace sealwing::sim
