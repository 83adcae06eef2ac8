#include "sim/SimExchangeUser.h"

#include <utility>

namespace sealwing::sim {

SimExchangeUser::SimExchangeUser(std::weak_ptr<SimContext> context, std::wstring primarySmtpAddress)
    : SimObject(std::move(context)), primarySmtpAddress_(std::move(primarySmtpAddress)) {}

std::wstring SimExchangeUser::PrimarySmtpAddress() {
    Enter(L"ExchangeUser.PrimarySmtpAddress");
    return primarySmtpAddress_;
}

}  // namespace sealwing::sim
