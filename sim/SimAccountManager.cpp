#include "sim/SimAccountManager.h"

#include <algorithm>
#include <utility>

#include "sim/SimAccount.h"
#include "sim/SimAccounts.h"

namespace sealwing::sim {
namespace olk = outlook::olk;
namespace {

std::wstring ServiceTypeText(const AccountSetup& account) {
    if (!account.serviceTypeText.empty()) return account.serviceTypeText;
    switch (account.type) {
        case outlook::olExchange:
            return L"Exchange";
        case outlook::olImap:
            return L"IMAP";
        case outlook::olPop3:
            return L"POP3";
        case outlook::olHttp:
            return L"HTTP";
        default:
            return L"Other";
    }
}

class SimOlkAccount : public olk::Account, protected SimObject {
public:
    SimOlkAccount(std::weak_ptr<SimContext> context, AccountSetup setup)
        : SimObject(std::move(context)), setup_(std::move(setup)) {}

    outlook::HResult GetProp(outlook::mapi::PropTag tag, olk::AccountValue& value) override {
        std::shared_ptr<SimContext> context;
        value = {};
        if (const auto failed = EnterMapi(L"OlkAccount.GetProp", context); failed != outlook::hr::S_Ok) return failed;
        auto found = AccountManagerProperty(setup_, tag);
        if (!found) return olk::E_AcctNotFound;
        value = std::move(*found);
        return outlook::hr::S_Ok;
    }

private:
    AccountSetup setup_;
};

class SimOlkEnum : public olk::AccountEnum, protected SimObject {
public:
    SimOlkEnum(std::weak_ptr<SimContext> context, std::vector<AccountSetup> accounts)
        : SimObject(std::move(context)), accounts_(std::move(accounts)) {}

    outlook::HResult GetCount(std::uint32_t& count) override {
        std::shared_ptr<SimContext> context;
        if (const auto failed = EnterMapi(L"OlkEnum.GetCount", context); failed != outlook::hr::S_Ok) return failed;
        count = static_cast<std::uint32_t>(accounts_.size());
        return outlook::hr::S_Ok;
    }

    outlook::HResult Reset() override {
        std::shared_ptr<SimContext> context;
        if (const auto failed = EnterMapi(L"OlkEnum.Reset", context); failed != outlook::hr::S_Ok) return failed;
        next_ = 0;
        return outlook::hr::S_Ok;
    }

    outlook::HResult GetNext(outlook::Ref<olk::Account>& account) override {
        std::shared_ptr<SimContext> context;
        account.reset();
        if (next_ >= accounts_.size()) return outlook::hr::S_False;
        // A failing fetch still moves on, so the caller's next call gets the next account.
        const AccountSetup& setup = accounts_[next_++];
        if (const auto failed = EnterMapi(L"OlkEnum.GetNext", context); failed != outlook::hr::S_Ok) return failed;
        account = std::make_shared<SimOlkAccount>(WeakContext(), setup);
        return outlook::hr::S_Ok;
    }

private:
    std::vector<AccountSetup> accounts_;
    std::size_t next_ = 0;
};

std::vector<AccountSetup> MailAccounts(SimContext& context) {
    std::vector<AccountSetup> accounts;
    for (const auto& account : context.Model().accounts->List()) accounts.push_back(account->Setup());
    return accounts;
}

}  // namespace

std::optional<olk::AccountValue> AccountManagerProperty(const AccountSetup& account, outlook::mapi::PropTag tag) {
    const bool exchange = account.type == outlook::olExchange;
    switch (tag) {
        case olk::PROP_ACCT_ID:
            return account.accountId.value_or(0);
        case olk::PROP_ACCT_NAME:
            return account.displayName;
        case olk::PROP_ACCT_TYPE_TEXT:
            return ServiceTypeText(account);
        case olk::PROP_ACCT_IS_EXCH:
            return std::uint32_t{exchange ? 1u : 0u};
        case olk::PROP_ACCT_USER_EMAIL_ADDR:
            // Exchange accounts keep no user address here.
            if (exchange || account.smtpAddress.empty()) return std::nullopt;
            return account.smtpAddress;
        case olk::PROP_ACCT_EXCHANGE_ADDRESS:
            // The address Exchange knows the mailbox by: its distinguished name where the account has one.
            if (!exchange) return std::nullopt;
            return account.currentUserAddress.empty() ? account.smtpAddress : account.currentUserAddress;
        case olk::PROP_ACCT_PROVIDER:
            if (account.provider.empty()) return std::nullopt;
            return account.provider;
        case olk::PROP_ACCT_PROVIDER_ADDRESSES:
            if (account.providerAddresses.empty()) return std::nullopt;
            return account.providerAddresses;
        default:
            return std::nullopt;
    }
}

SimAccountManager::SimAccountManager(std::weak_ptr<SimContext> context) : SimObject(std::move(context)) {}

SimAccountManager::~SimAccountManager() {
    if (helper_ != nullptr) helper_->Release();
}

outlook::HResult SimAccountManager::Init(olk::AccountHelper& helper, std::uint32_t flags) {
    (void)flags;
    std::shared_ptr<SimContext> context;
    if (const auto failed = EnterMapi(L"OlkAccountManager.Init", context); failed != outlook::hr::S_Ok) return failed;

    olk::AccountHelper* kept = nullptr;
    if (const auto failed = helper.QueryInterface(olk::IID_IOlkAccountHelper, &kept); outlook::Failed(failed)) {
        return failed;
    }
    std::uint32_t needed = 0;
    outlook::HResult result = kept->GetIdentity(nullptr, &needed);
    std::wstring identity;
    if (result == outlook::hr::E_OutOfMemory && needed > 0) {
        std::vector<wchar_t> buffer(needed, L'?');
        std::uint32_t count = needed;
        result = kept->GetIdentity(buffer.data(), &count);
        if (outlook::Succeeded(result)) {
            if (count != needed || buffer[needed - 1] != L'\0')
                result = outlook::hr::E_Fail;
            else
                identity.assign(buffer.data(), needed - 1);
        }
    } else if (outlook::Succeeded(result)) {
        result = outlook::hr::E_Fail;  // an empty buffer cannot hold any name
    }
    if (outlook::Succeeded(result) && identity != context->Options().profileName) result = olk::E_AcctNotFound;
    if (outlook::Failed(result)) {
        kept->Release();
        return result;
    }
    if (helper_ != nullptr) helper_->Release();
    helper_ = kept;
    return outlook::hr::S_Ok;
}

outlook::HResult SimAccountManager::Initialised() const {
    return helper_ != nullptr ? outlook::hr::S_Ok : olk::E_OlkNotInitialized;
}

outlook::HResult SimAccountManager::EnumerateAccounts(const olk::Guid& category, const olk::Guid* type,
                                                      std::uint32_t flags, outlook::Ref<olk::AccountEnum>& accounts) {
    (void)type;
    (void)flags;
    std::shared_ptr<SimContext> context;
    accounts.reset();
    if (const auto failed = EnterMapi(L"OlkAccountManager.EnumerateAccounts", context); failed != outlook::hr::S_Ok) {
        return failed;
    }
    if (const auto failed = Initialised(); failed != outlook::hr::S_Ok) return failed;
    std::vector<AccountSetup> listed;
    if (category == olk::CLSID_OlkMail) listed = MailAccounts(*context);
    accounts = std::make_shared<SimOlkEnum>(WeakContext(), std::move(listed));
    return outlook::hr::S_Ok;
}

outlook::HResult SimAccountManager::GetOrder(const olk::Guid& category, std::vector<std::uint32_t>& accountIds) {
    std::shared_ptr<SimContext> context;
    accountIds.clear();
    if (const auto failed = EnterMapi(L"OlkAccountManager.GetOrder", context); failed != outlook::hr::S_Ok) {
        return failed;
    }
    if (const auto failed = Initialised(); failed != outlook::hr::S_Ok) return failed;
    if (category != olk::CLSID_OlkMail) return olk::E_AcctNotFound;
    for (const AccountSetup& account : MailAccounts(*context)) accountIds.push_back(account.accountId.value_or(0));
    if (const auto preferred = context->Model().defaultMailAccountId) {
        const auto found = std::find(accountIds.begin(), accountIds.end(), *preferred);
        if (found != accountIds.end()) std::rotate(accountIds.begin(), found, found + 1);
    }
    return outlook::hr::S_Ok;
}

}  // namespace sealwing::sim
