#pragma once

#include <memory>
#include <vector>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimAccount;

// NameSpace.Accounts (2007).
class SimAccounts : public outlook::Accounts, protected SimObject {
public:
    explicit SimAccounts(std::weak_ptr<SimContext> context);

    int Count() override;
    outlook::Ref<outlook::Account> Item(int index) override;

    // The simulation's own access, no gate.
    void Add(const outlook::Ref<SimAccount>& account) { accounts_.push_back(account); }
    const std::vector<outlook::Ref<SimAccount>>& List() const { return accounts_; }

private:
    std::vector<outlook::Ref<SimAccount>> accounts_;
};

}  // namespace sealwing::sim
