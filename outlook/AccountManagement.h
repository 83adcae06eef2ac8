#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "outlook/ComError.h"
#include "outlook/Mapi.h"
#include "outlook/Ref.h"

// Outlook's account-management service, reached below the object model: the only way to list accounts on Outlook
// 2003, and the only place that keeps the mail accounts' order. Calls return HRESULTs (never throw); strings and
// arrays the service allocates are freed with its FreeMemory inside the adapter that read them. UI thread only.
namespace sealwing::outlook::olk {

using mapi::Guid;

// {ED475410-B0D6-11D2-8C3B-00104B2A6676}: the service's class, created in-process.
inline constexpr Guid CLSID_OlkAccountManager = {0x10, 0x54, 0x47, 0xED, 0xD6, 0xB0, 0xD2, 0x11,
                                                 0x8C, 0x3B, 0x00, 0x10, 0x4B, 0x2A, 0x66, 0x76};
// {ED475418-B0D6-11D2-8C3B-00104B2A6676}: the mail category of accounts.
inline constexpr Guid CLSID_OlkMail = {0x18, 0x54, 0x47, 0xED, 0xD6, 0xB0, 0xD2, 0x11,
                                       0x8C, 0x3B, 0x00, 0x10, 0x4B, 0x2A, 0x66, 0x76};
// {9240A6CB-AF41-11D2-8C3B-00104B2A6676}: the callback the add-in hands the service.
inline constexpr Guid IID_IOlkAccountHelper = {0xCB, 0xA6, 0x40, 0x92, 0x41, 0xAF, 0xD2, 0x11,
                                               0x8C, 0x3B, 0x00, 0x10, 0x4B, 0x2A, 0x66, 0x76};
// {00000000-0000-0000-C000-000000000046}
inline constexpr Guid IID_IUnknown = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                      0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// Account properties. Numbers are 32-bit, strings Unicode, as the tag's type says.
inline constexpr mapi::PropTag PROP_ACCT_ID = 0x00010003;
inline constexpr mapi::PropTag PROP_ACCT_NAME = 0x0002001F;
inline constexpr mapi::PropTag PROP_ACCT_TYPE_TEXT = 0x0004001F;
inline constexpr mapi::PropTag PROP_ACCT_PROVIDER_ADDRESSES = 0x0007001F;
inline constexpr mapi::PropTag PROP_ACCT_PROVIDER = 0x0008001F;
inline constexpr mapi::PropTag PROP_ACCT_USER_EMAIL_ADDR = 0x000C001F;
inline constexpr mapi::PropTag PROP_ACCT_EXCHANGE_ADDRESS = 0x000D001F;
inline constexpr mapi::PropTag PROP_ACCT_IS_EXCH = 0x00140003;

// Init's flag: leave the MAPI accounts as they are.
inline constexpr std::uint32_t ACCT_INIT_NOSYNCH_MAPI_ACCTS = 0x00000001;

// The service's own failures.
inline constexpr HResult E_AcctNotFound = static_cast<HResult>(0x800C8101);       // E_ACCT_NOT_FOUND
inline constexpr HResult E_OlkNotInitialized = static_cast<HResult>(0x800C8005);  // E_OLK_NOT_INITIALIZED
// COM's answer for a class nobody registered (REGDB_E_CLASSNOTREG, a macro in Windows' headers).
inline constexpr HResult RegDb_E_ClassNotReg = static_cast<HResult>(0x80040154);

// One property's value (ACCT_VARIANT): a number or a string.
using AccountValue = std::variant<std::monostate, std::uint32_t, std::wstring>;

// IOlkAccountHelper: the callback through which the service learns the profile and its MAPI session. The add-in
// implements it as a reference-counted object with COM's rules: whoever keeps a pointer holds a reference, and the
// last Release frees it. The slots are the interface's, in its order.
class AccountHelper {
public:
    // IID_IOlkAccountHelper and IID_IUnknown answer this object (with a reference added); anything else
    // E_NOINTERFACE.
    virtual HResult QueryInterface(const Guid& iid, AccountHelper** out) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;
    virtual HResult PlaceHolder1() = 0;
    // The profile's name and its terminator into `identity` of `*count` characters; `*count` becomes the characters
    // needed (E_OUTOFMEMORY when the buffer is too short) or written.
    virtual HResult GetIdentity(wchar_t* identity, std::uint32_t* count) = 0;
    virtual HResult GetMapiSession(Ref<mapi::Session>* session) = 0;
    virtual HResult HandsOffSession() = 0;

protected:
    ~AccountHelper() = default;
};

// IOlkAccount.
class Account {
public:
    virtual ~Account() = default;
    // E_AcctNotFound for a property the account lacks.
    virtual HResult GetProp(mapi::PropTag tag, AccountValue& value) = 0;
};

// IOlkEnum over the accounts of one category.
class AccountEnum {
public:
    virtual ~AccountEnum() = default;
    virtual HResult GetCount(std::uint32_t& count) = 0;
    virtual HResult Reset() = 0;
    // The next account as IOlkAccount; S_FALSE and nothing past the end. An item that does not answer IOlkAccount
    // fails with E_NOINTERFACE.
    virtual HResult GetNext(Ref<Account>& account) = 0;
};

// IOlkAccountManager.
class AccountManager {
public:
    virtual ~AccountManager() = default;
    // The manager keeps a reference to the helper until it goes.
    virtual HResult Init(AccountHelper& helper, std::uint32_t flags) = 0;
    // No type filter when `type` is null.
    virtual HResult EnumerateAccounts(const Guid& category, const Guid* type, std::uint32_t flags,
                                      Ref<AccountEnum>& accounts) = 0;
    // The account ids of the category in the order the user set (the default account first).
    virtual HResult GetOrder(const Guid& category, std::vector<std::uint32_t>& accountIds) = 0;
};

// CoCreateInstance of CLSID_OlkAccountManager, in-process: through the creator the host installed. Without one
// (no Outlook that registered the class) RegDb_E_ClassNotReg.
HResult CreateAccountManager(Ref<AccountManager>& manager);

using AccountManagerCreator = std::function<HResult(Ref<AccountManager>&)>;

// Installs the creator for the lifetime of the object and restores the previous one afterwards. The DLL installs
// COM's at load; the simulated Outlook installs its own while it runs.
class ScopedAccountManagerCreator {
public:
    explicit ScopedAccountManagerCreator(AccountManagerCreator creator);
    ~ScopedAccountManagerCreator();
    ScopedAccountManagerCreator(const ScopedAccountManagerCreator&) = delete;
    ScopedAccountManagerCreator& operator=(const ScopedAccountManagerCreator&) = delete;

private:
    AccountManagerCreator previous_;
};

}  // namespace sealwing::outlook::olk
