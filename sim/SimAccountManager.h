#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "outlook/AccountManagement.h"
#include "sim/SimObject.h"
#include "sim/SimSetups.h"

namespace sealwing::sim {

// Outlook's account-management service over the profile's mail accounts, in every version. Calls pass the member
// gate as "OlkAccountManager.<Call>", "OlkEnum.GetNext" and "OlkAccount.GetProp"; creating the manager passes it as
// "OlkAccountManager.Create".
class SimAccountManager : public outlook::olk::AccountManager, protected SimObject {
public:
    explicit SimAccountManager(std::weak_ptr<SimContext> context);
    // Lets the helper go, as the service releases what it kept.
    ~SimAccountManager() override;

    // Asks the helper for the profile's name as the service does (first the size, then the text) and refuses a
    // helper that names another profile.
    outlook::HResult Init(outlook::olk::AccountHelper& helper, std::uint32_t flags) override;
    // Mail accounts in the order they were added; another category has none.
    outlook::HResult EnumerateAccounts(const outlook::olk::Guid& category, const outlook::olk::Guid* type,
                                       std::uint32_t flags, outlook::Ref<outlook::olk::AccountEnum>& accounts) override;
    // The default mail account first, then the others in the order they were added.
    outlook::HResult GetOrder(const outlook::olk::Guid& category, std::vector<std::uint32_t>& accountIds) override;

private:
    outlook::HResult Initialised() const;

    outlook::olk::AccountHelper* helper_ = nullptr;
};

// The properties the service reports for an account (its "props" for GetProp); nothing for one it lacks. What
// Outlook 2003 puts under the type text and the Exchange address is not documented; this is the simulation's one
// choice for them (see AccountSetup).
std::optional<outlook::olk::AccountValue> AccountManagerProperty(const AccountSetup& account,
                                                                 outlook::mapi::PropTag tag);

}  // namespace sealwing::sim
