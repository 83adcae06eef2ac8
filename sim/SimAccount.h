#pragma once

#include <memory>
#include <string>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"
#include "sim/SimSetups.h"

namespace sealwing::sim {

class SimStore;

// A mail account of the profile (2007 object model), delivering into one of the profile's stores.
class SimAccount : public outlook::Account, protected SimObject {
public:
    SimAccount(std::weak_ptr<SimContext> context, AccountSetup setup, std::weak_ptr<SimStore> deliveryStore);

    outlook::AccountType AccountType() override;
    std::wstring DisplayName() override;
    std::wstring SmtpAddress() override;
    std::wstring UserName() override;
    // A resolved recipient of the account's user name and SMTP address (2010); Nothing when the setup says so.
    outlook::Ref<outlook::Recipient> CurrentUser() override;
    outlook::Ref<outlook::Store> DeliveryStore() override;  // (2010); Nothing when the setup says so

    const AccountSetup& Setup() const { return setup_; }

private:
    AccountSetup setup_;
    std::weak_ptr<SimStore> deliveryStore_;
};

}  // namespace sealwing::sim
