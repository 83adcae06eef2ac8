#include "outlook/AccountManagement.h"

#include <mutex>
#include <utility>

namespace sealwing::outlook::olk {
namespace {

std::mutex g_creatorLock;
AccountManagerCreator g_creator;

}  // namespace

HResult CreateAccountManager(Ref<AccountManager>& manager) {
    manager.reset();
    AccountManagerCreator creator;
    {
        const std::lock_guard lock(g_creatorLock);
        creator = g_creator;
    }
    if (!creator) return RegDb_E_ClassNotReg;
    const HResult result = creator(manager);
    if (Failed(result))
        manager.reset();
    else if (manager == nullptr)
        return hr::E_Fail;
    return result;
}

ScopedAccountManagerCreator::ScopedAccountManagerCreator(AccountManagerCreator creator) {
    const std::lock_guard lock(g_creatorLock);
    previous_ = std::exchange(g_creator, std::move(creator));
}

ScopedAccountManagerCreator::~ScopedAccountManagerCreator() {
    const std::lock_guard lock(g_creatorLock);
    g_creator = std::move(previous_);
}

}  // namespace sealwing::outlook::olk
