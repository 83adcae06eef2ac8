#pragma once

// Outlook's account-management interfaces as Microsoft documents them for Outlook 2003 to 2010 ("Account Management
// API"): the slot order is the documented vtable order, placeholders included; Outlook itself provides no header.
// Declared in the global namespace, as the SDK's interfaces are.

#include <windows.h>
#include <unknwn.h>

// The window-property functions of user32 are macros of these names; here they are IOlkAccount's members (and the
// host interface's olk::Account::GetProp), which the macros would rename to GetPropW and SetPropW.
#undef GetProp
#undef SetProp

// {ED475410-B0D6-11D2-8C3B-00104B2A6676}
inline constexpr CLSID CLSID_OlkAccountManager = {
    0xED475410, 0xB0D6, 0x11D2, {0x8C, 0x3B, 0x00, 0x10, 0x4B, 0x2A, 0x66, 0x76}};
// {9240A6C0-AF41-11D2-8C3B-00104B2A6676}
inline constexpr IID IID_IOlkErrorUnknown = {
    0x9240A6C0, 0xAF41, 0x11D2, {0x8C, 0x3B, 0x00, 0x10, 0x4B, 0x2A, 0x66, 0x76}};
// {9240A6C1-AF41-11D2-8C3B-00104B2A6676}
inline constexpr IID IID_IOlkEnum = {0x9240A6C1, 0xAF41, 0x11D2, {0x8C, 0x3B, 0x00, 0x10, 0x4B, 0x2A, 0x66, 0x76}};
// {9240A6CB-AF41-11D2-8C3B-00104B2A6676}
inline constexpr IID IID_IOlkAccountHelper = {
    0x9240A6CB, 0xAF41, 0x11D2, {0x8C, 0x3B, 0x00, 0x10, 0x4B, 0x2A, 0x66, 0x76}};
// {9240A6CD-AF41-11D2-8C3B-00104B2A6676}
inline constexpr IID IID_IOlkAccountManager = {
    0x9240A6CD, 0xAF41, 0x11D2, {0x8C, 0x3B, 0x00, 0x10, 0x4B, 0x2A, 0x66, 0x76}};
// {9240A6D2-AF41-11D2-8C3B-00104B2A6676}
inline constexpr IID IID_IOlkAccount = {0x9240A6D2, 0xAF41, 0x11D2, {0x8C, 0x3B, 0x00, 0x10, 0x4B, 0x2A, 0x66, 0x76}};

struct ACCT_BIN {
    DWORD cb;
    BYTE* pb;
};

// One account property: dwType is the property tag's type (PT_LONG, PT_UNICODE, PT_BINARY).
struct ACCT_VARIANT {
    DWORD dwType;
    union {
        DWORD dw;
        WCHAR* pwsz;
        ACCT_BIN bin;
    } Val;
};

struct IOlkAccount;
struct IOlkAccountNotify;
struct IOlkEnum;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM interfaces: released, never deleted

struct IOlkErrorUnknown : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetLastError(HRESULT result, LPWSTR* error) = 0;
};

// The add-in's callback: the profile's name and its MAPI session.
struct IOlkAccountHelper : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder1(LPVOID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIdentity(LPWSTR identity, DWORD* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMapiSession(LPUNKNOWN* session) = 0;
    virtual HRESULT STDMETHODCALLTYPE HandsOffSession() = 0;
};

struct IOlkEnum : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetCount(DWORD* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    // S_FALSE past the last account.
    virtual HRESULT STDMETHODCALLTYPE GetNext(LPUNKNOWN* account) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(DWORD count) = 0;
};

struct IOlkAccount : public IOlkErrorUnknown {
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder1() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder2() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder3() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder4() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder5() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder6() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAccountInfo(CLSID* type, DWORD* categoryCount, CLSID** categories) = 0;
    // A string value is the account's to allocate and the caller's to free with FreeMemory.
    virtual HRESULT STDMETHODCALLTYPE GetProp(DWORD property, ACCT_VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProp(DWORD property, ACCT_VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder7() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder8() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder9() = 0;
    virtual HRESULT STDMETHODCALLTYPE FreeMemory(BYTE* memory) = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder10() = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveChanges(DWORD flags) = 0;
};

struct IOlkAccountManager : public IOlkErrorUnknown {
    virtual HRESULT STDMETHODCALLTYPE Init(IOlkAccountHelper* helper, DWORD flags) = 0;
    // A placeholder in Outlook 2003.
    virtual HRESULT STDMETHODCALLTYPE DisplayAccountList(HWND window, DWORD flags, LPCWSTR title, DWORD categoryCount,
                                                         const CLSID* categories, const CLSID* type) = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder1() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder2() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder3() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder4() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder5() = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAccount(DWORD property, ACCT_VARIANT* value, IOlkAccount** account) = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder6() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder7() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder8() = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteAccount(DWORD accountId) = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder9() = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveChanges(DWORD accountId, DWORD flags) = 0;
    // The array is the manager's to allocate and the caller's to free with FreeMemory.
    virtual HRESULT STDMETHODCALLTYPE GetOrder(const CLSID* category, DWORD* count, DWORD** accountIds) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOrder(const CLSID* category, DWORD count, DWORD* accountIds) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumerateAccounts(const CLSID* category, const CLSID* type, DWORD flags,
                                                        IOlkEnum** accounts) = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder10() = 0;
    virtual HRESULT STDMETHODCALLTYPE PlaceHolder11() = 0;
    virtual HRESULT STDMETHODCALLTYPE FreeMemory(BYTE* memory) = 0;
    virtual HRESULT STDMETHODCALLTYPE Advise(IOlkAccountNotify* notify, DWORD* cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) = 0;
};

#pragma GCC diagnostic pop
