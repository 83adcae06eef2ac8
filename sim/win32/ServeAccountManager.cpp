#include "sim/win32/ServeAccountManager.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "outlook/win32/dispatch/ComTypes.h"
#include "outlook/win32/mapi/MapiAdapters.h"
#include "outlook/win32/mapi/PropValues.h"
#include "sim/win32/ServedUnknown.h"

#include "outlook/win32/mapi/MapiHeaders.h"
#include "outlook/win32/mapi/OlkInterfaces.h"

namespace sealwing::sim::win32 {
namespace {

namespace olk = outlook::olk;
using outlook::win32::FromGuid;
using outlook::win32::ToGuid;
using sealwing::win32::ComPtr;

std::atomic<long> g_live{0};
std::atomic<std::size_t> g_managersServed{0};

// The blocks handed out through GetProp and GetOrder, until FreeMemory takes them back.
struct AccountMemory {
    std::mutex lock;
    std::set<void*> outstanding;
    std::size_t foreignFrees = 0;
};

AccountMemory& Memory() {
    static AccountMemory memory;
    return memory;
}

void* Allocate(std::size_t bytes) {
    void* block = CoTaskMemAlloc(bytes == 0 ? 1 : bytes);
    if (block == nullptr) return nullptr;
    const std::lock_guard guard(Memory().lock);
    Memory().outstanding.insert(block);
    return block;
}

HRESULT FreeBlock(void* block) {
    if (block == nullptr) return S_OK;
    {
        const std::lock_guard guard(Memory().lock);
        if (Memory().outstanding.erase(block) == 0) {
            ++Memory().foreignFrees;
            return E_INVALIDARG;
        }
    }
    CoTaskMemFree(block);
    return S_OK;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // destroyed by Release only, through the virtual destructor

template <class Interface>
class Served : public ServedUnknown<Interface> {
protected:
    explicit Served(std::vector<const IID*> answers) : ServedUnknown<Interface>(std::move(answers), g_live) {}
};

// The add-in's IOlkAccountHelper as the simulation's helper: each holds one reference on the add-in's object, and
// every call goes back to it through COM.
class HelperProxy final : public olk::AccountHelper {
public:
    // Takes over the reference.
    explicit HelperProxy(ComPtr<IOlkAccountHelper> helper) : helper_(std::move(helper)) {}

    outlook::HResult QueryInterface(const olk::Guid& iid, olk::AccountHelper** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        const IID asked = ToGuid(iid);
        ComPtr<IUnknown> answered;
        HRESULT result = helper_->QueryInterface(asked, reinterpret_cast<void**>(answered.Receive()));
        if (FAILED(result)) return result;
        // The simulation calls the helper's members on whatever it got back, so the proxy holds its helper face.
        ComPtr<IOlkAccountHelper> typed;
        if (IsEqualIID(asked, IID_IOlkAccountHelper)) {
            typed = ComPtr<IOlkAccountHelper>::Attach(static_cast<IOlkAccountHelper*>(answered.Detach()));
        } else {
            result = answered->QueryInterface(IID_IOlkAccountHelper, reinterpret_cast<void**>(typed.Receive()));
            if (FAILED(result)) return result;
        }
        *out = new HelperProxy(std::move(typed));
        return S_OK;
    }

    std::uint32_t AddRef() override { return ++references_; }
    std::uint32_t Release() override {
        const std::uint32_t left = --references_;
        if (left == 0) delete this;
        return left;
    }

    outlook::HResult PlaceHolder1() override { return helper_->PlaceHolder1(nullptr); }

    outlook::HResult GetIdentity(wchar_t* identity, std::uint32_t* count) override {
        if (count == nullptr) return helper_->GetIdentity(identity, nullptr);
        DWORD characters = *count;
        const HRESULT result = helper_->GetIdentity(identity, &characters);
        *count = characters;
        return result;
    }

    outlook::HResult GetMapiSession(outlook::Ref<outlook::mapi::Session>* session) override {
        if (session == nullptr) return helper_->GetMapiSession(nullptr);
        session->reset();
        ComPtr<IUnknown> raw;
        const HRESULT result = helper_->GetMapiSession(raw.Receive());
        if (FAILED(result)) return result;
        *session = outlook::win32::WrapSession(raw.Get());
        return *session ? result : E_NOINTERFACE;
    }

    outlook::HResult HandsOffSession() override { return helper_->HandsOffSession(); }

private:
    ~HelperProxy() = default;

    ComPtr<IOlkAccountHelper> helper_;
    std::atomic<std::uint32_t> references_{1};
};

class ServedAccount final : public Served<IOlkAccount> {
public:
    explicit ServedAccount(outlook::Ref<olk::Account> account)
        : Served({&IID_IOlkErrorUnknown, &IID_IOlkAccount}), account_(std::move(account)) {}

    HRESULT STDMETHODCALLTYPE GetLastError(HRESULT, LPWSTR* text) override {
        if (text != nullptr) *text = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PlaceHolder1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder2() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAccountInfo(CLSID*, DWORD*, CLSID**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetProp(DWORD property, ACCT_VARIANT* value) override {
        if (value == nullptr) return E_INVALIDARG;
        *value = ACCT_VARIANT{};
        olk::AccountValue read;
        const HRESULT result = account_->GetProp(property, read);
        if (FAILED(result)) return result;
        if (const auto* number = std::get_if<std::uint32_t>(&read)) {
            value->dwType = PT_LONG;
            value->Val.dw = *number;
        } else if (const auto* text = std::get_if<std::wstring>(&read)) {
            const std::size_t bytes = (text->size() + 1) * sizeof(wchar_t);
            auto* copy = static_cast<WCHAR*>(Allocate(bytes));
            if (copy == nullptr) return E_OUTOFMEMORY;
            std::memcpy(copy, text->c_str(), bytes);
            value->dwType = PT_UNICODE;
            value->Val.pwsz = copy;
        } else {
            return olk::E_AcctNotFound;
        }
        return result;
    }

    HRESULT STDMETHODCALLTYPE SetProp(DWORD, ACCT_VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder9() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FreeMemory(BYTE* memory) override { return FreeBlock(memory); }
    HRESULT STDMETHODCALLTYPE PlaceHolder10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SaveChanges(DWORD) override { return E_NOTIMPL; }

private:
    outlook::Ref<olk::Account> account_;
};

class ServedEnum final : public Served<IOlkEnum> {
public:
    explicit ServedEnum(outlook::Ref<olk::AccountEnum> accounts)
        : Served({&IID_IOlkEnum}), accounts_(std::move(accounts)) {}

    HRESULT STDMETHODCALLTYPE GetCount(DWORD* count) override {
        if (count == nullptr) return E_INVALIDARG;
        std::uint32_t number = 0;
        const HRESULT result = accounts_->GetCount(number);
        *count = SUCCEEDED(result) ? number : 0;
        return result;
    }

    HRESULT STDMETHODCALLTYPE Reset() override { return accounts_->Reset(); }

    HRESULT STDMETHODCALLTYPE GetNext(LPUNKNOWN* account) override {
        if (account == nullptr) return E_INVALIDARG;
        *account = nullptr;
        outlook::Ref<olk::Account> next;
        const HRESULT result = accounts_->GetNext(next);
        if (result != S_OK) return result;
        if (!next) return E_FAIL;
        *account = static_cast<IOlkAccount*>(new ServedAccount(std::move(next)));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Skip(DWORD count) override {
        for (DWORD at = 0; at < count; ++at) {
            outlook::Ref<olk::Account> skipped;
            const HRESULT result = accounts_->GetNext(skipped);
            if (result != S_OK) return result;
        }
        return S_OK;
    }

private:
    outlook::Ref<olk::AccountEnum> accounts_;
};

class ServedAccountManager final : public Served<IOlkAccountManager> {
public:
    explicit ServedAccountManager(outlook::Ref<olk::AccountManager> manager)
        : Served({&IID_IOlkErrorUnknown, &IID_IOlkAccountManager}), manager_(std::move(manager)) {}

    HRESULT STDMETHODCALLTYPE GetLastError(HRESULT, LPWSTR* text) override {
        if (text != nullptr) *text = nullptr;
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE Init(IOlkAccountHelper* helper, DWORD flags) override {
        if (helper == nullptr) return E_INVALIDARG;
        // The simulation takes its own reference through QueryInterface; this one is for the call only.
        auto* proxy = new HelperProxy(ComPtr<IOlkAccountHelper>(helper));
        const HRESULT result = manager_->Init(*proxy, flags);
        proxy->Release();
        return result;
    }

    HRESULT STDMETHODCALLTYPE DisplayAccountList(HWND, DWORD, LPCWSTR, DWORD, const CLSID*, const CLSID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PlaceHolder1() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder2() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder3() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder4() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder5() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindAccount(DWORD, ACCT_VARIANT*, IOlkAccount** account) override {
        if (account != nullptr) *account = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PlaceHolder6() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder7() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder8() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteAccount(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder9() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SaveChanges(DWORD, DWORD) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetOrder(const CLSID* category, DWORD* count, DWORD** accountIds) override {
        if (category == nullptr || count == nullptr || accountIds == nullptr) return E_INVALIDARG;
        *count = 0;
        *accountIds = nullptr;
        std::vector<std::uint32_t> order;
        const HRESULT result = manager_->GetOrder(FromGuid(*category), order);
        if (FAILED(result)) return result;
        auto* ids = static_cast<DWORD*>(Allocate(order.size() * sizeof(DWORD)));
        if (ids == nullptr) return E_OUTOFMEMORY;
        for (std::size_t at = 0; at < order.size(); ++at) ids[at] = order[at];
        *count = static_cast<DWORD>(order.size());
        *accountIds = ids;
        return result;
    }

    HRESULT STDMETHODCALLTYPE SetOrder(const CLSID*, DWORD, DWORD*) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE EnumerateAccounts(const CLSID* category, const CLSID* type, DWORD flags,
                                                IOlkEnum** accounts) override {
        if (category == nullptr || accounts == nullptr) return E_INVALIDARG;
        *accounts = nullptr;
        const olk::Guid categoryId = FromGuid(*category);
        const olk::Guid typeId = type != nullptr ? FromGuid(*type) : olk::Guid{};
        outlook::Ref<olk::AccountEnum> listed;
        const HRESULT result =
            manager_->EnumerateAccounts(categoryId, type != nullptr ? &typeId : nullptr, flags, listed);
        if (FAILED(result)) return result;
        if (!listed) return E_FAIL;
        *accounts = new ServedEnum(std::move(listed));
        return result;
    }

    HRESULT STDMETHODCALLTYPE PlaceHolder10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PlaceHolder11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FreeMemory(BYTE* memory) override { return FreeBlock(memory); }
    HRESULT STDMETHODCALLTYPE Advise(IOlkAccountNotify*, DWORD* cookie) override {
        if (cookie != nullptr) *cookie = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return E_NOTIMPL; }

private:
    outlook::Ref<olk::AccountManager> manager_;
};

class AccountManagerClass final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // A process-wide object: COM's references do not decide its life.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        outlook::Ref<olk::AccountManager> manager;
        const HRESULT result = olk::CreateAccountManager(manager);
        if (FAILED(result)) return result;
        ++g_managersServed;
        const auto served = ComPtr<IOlkAccountManager>::Attach(new ServedAccountManager(std::move(manager)));
        return served->QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

#pragma GCC diagnostic pop

AccountManagerClass& TheClass() {
    static AccountManagerClass factory;
    return factory;
}

}  // namespace

ScopedAccountManagerClass::ScopedAccountManagerClass() {
    result_ =
        CoRegisterClassObject(CLSID_OlkAccountManager, &TheClass(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

ScopedAccountManagerClass::~ScopedAccountManagerClass() {
    if (SUCCEEDED(result_)) CoRevokeClassObject(cookie_);
}

std::size_t OutstandingAccountMemory() {
    const std::lock_guard guard(Memory().lock);
    return Memory().outstanding.size();
}

std::size_t ForeignAccountMemoryFrees() {
    const std::lock_guard guard(Memory().lock);
    return Memory().foreignFrees;
}

long LiveAccountObjects() { return g_live.load(); }

std::size_t AccountManagersServed() { return g_managersServed.load(); }

}  // namespace sealwing::sim::win32
