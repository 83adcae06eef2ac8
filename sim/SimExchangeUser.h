#pragma once

#include <memory>
#include <string>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

// AddressEntry.GetExchangeUser's answer.
class SimExchangeUser : public outlook::ExchangeUser, protected SimObject {
public:
    SimExchangeUser(std::weak_ptr<SimContext> context, std::wstring primarySmtpAddress);

    std::wstring PrimarySmtpAddress() override;

private:
    std::wstring primarySmtpAddress_;
};

}  // namespace sealwing::sim
