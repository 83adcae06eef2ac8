#include "mailstore/AccountManager.h"

#include <utility>

#include "diagnostics/Log.h"
#include "mailstore/AccountHelper.h"
#include "outlook/AccountManagement.h"
#include "outlook/Mapi.h"
#include "platform/Platform.h"

namespace sealwing::mailstore {
namespace {

namespace olk = outlook::olk;
namespace mapi = outlook::mapi;

// A manager initialised for the profile, or nothing with the failure logged.
outlook::Ref<olk::AccountManager> OpenAccountManager(const std::wstring& profileName,
                                                     const outlook::Ref<outlook::Application>& application) {
    outlook::Ref<mapi::Session> session;
    try {
        session = outlook::Required(application->Session(), L"Application.Session")->MAPIOBJECT();
    } catch (const outlook::ComError& error) {
        diagnostics::LogComError(error.Code());
        return nullptr;
    }
    outlook::Ref<olk::AccountManager> manager;
    if (const outlook::HResult created = olk::CreateAccountManager(manager); outlook::Failed(created)) {
        diagnostics::LogComError(created);
        return nullptr;
    }
    const AccountHelperHolder helper(CAccountHelper::Create(profileName, std::move(session)));
    if (const outlook::HResult initialised = manager->Init(*helper, olk::ACCT_INIT_NOSYNCH_MAPI_ACCTS);
        outlook::Failed(initialised)) {
        diagnostics::LogComError(initialised);
        return nullptr;
    }
    return manager;
}

std::wstring TextProp(olk::Account& account, mapi::PropTag tag) {
    olk::AccountValue value;
    if (account.GetProp(tag, value) != outlook::hr::S_Ok) return {};
    const auto* text = std::get_if<std::wstring>(&value);
    return text != nullptr ? *text : std::wstring{};
}

std::uint32_t NumberProp(olk::Account& account, mapi::PropTag tag) {
    olk::AccountValue value;
    if (account.GetProp(tag, value) != outlook::hr::S_Ok) return 0;
    const auto* number = std::get_if<std::uint32_t>(&value);
    return number != nullptr ? *number : 0;
}

AccountManagerRecord ReadRecord(olk::Account& account) {
    AccountManagerRecord record;
    record.id = static_cast<std::int32_t>(NumberProp(account, olk::PROP_ACCT_ID));
    record.name = TextProp(account, olk::PROP_ACCT_NAME);
    record.isExchange = NumberProp(account, olk::PROP_ACCT_IS_EXCH);
    record.exchangeAddress = TextProp(account, olk::PROP_ACCT_EXCHANGE_ADDRESS);
    record.emailAddress = TextProp(account, olk::PROP_ACCT_USER_EMAIL_ADDR);
    record.typeText = TextProp(account, olk::PROP_ACCT_TYPE_TEXT);
    record.provider = TextProp(account, olk::PROP_ACCT_PROVIDER);
    if (record.provider == kGoogleAppsSyncProvider) {
        // Google Apps Sync lists the mailbox's addresses, the account's own first.
        record.typeText = L"GSYNC";
        record.providerAddresses = TextProp(account, olk::PROP_ACCT_PROVIDER_ADDRESSES);
        record.emailAddress = record.providerAddresses.substr(0, record.providerAddresses.find_first_of(L" ,;"));
    }
    return record;
}

}  // namespace

std::optional<std::vector<AccountManagerRecord>> ReadAccountManagerAccounts(
    const std::wstring& profileName, const outlook::Ref<outlook::Application>& application) {
    platform::AssertUiThread(__func__);
    const outlook::Ref<olk::AccountManager> manager = OpenAccountManager(profileName, application);
    if (manager == nullptr) return std::nullopt;

    outlook::Ref<olk::AccountEnum> accounts;
    std::uint32_t count = 0;
    outlook::HResult result = manager->EnumerateAccounts(olk::CLSID_OlkMail, nullptr, 0, accounts);
    if (outlook::Succeeded(result)) result = accounts != nullptr ? accounts->GetCount(count) : outlook::hr::E_Fail;
    if (outlook::Succeeded(result) && count > 0) result = accounts->Reset();
    if (outlook::Failed(result)) {
        diagnostics::LogComError(result);
        return std::nullopt;
    }

    std::vector<AccountManagerRecord> records(count);
    for (AccountManagerRecord& record : records) {
        outlook::Ref<olk::Account> account;
        if (const outlook::HResult fetched = accounts->GetNext(account); fetched != outlook::hr::S_Ok || !account) {
            diagnostics::LogComError(fetched == outlook::hr::S_Ok ? outlook::hr::E_Fail : fetched);
            continue;
        }
        record = ReadRecord(*account);
    }
    return records;
}

std::int32_t GetDefaultMailAccountId(const std::wstring& profileName,
                                     const outlook::Ref<outlook::Application>& application) {
    platform::AssertUiThread(__func__);
    const outlook::Ref<olk::AccountManager> manager = OpenAccountManager(profileName, application);
    if (manager == nullptr) return -1;
    std::vector<std::uint32_t> order;
    if (const outlook::HResult result = manager->GetOrder(olk::CLSID_OlkMail, order); outlook::Failed(result)) {
        diagnostics::LogComError(result);
        return -1;
    }
    if (order.empty()) return -1;
    return static_cast<std::int32_t>(order.front());
}

}  // namespace sealwing::mailstore
