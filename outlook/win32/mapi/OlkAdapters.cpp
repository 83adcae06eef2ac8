#include "outlook/win32/mapi/OlkAdapters.h"

#include <atomic>
#include <memory>
#include <utility>

#include "outlook/win32/dispatch/ComTypes.h"
#include "outlook/win32/mapi/MapiAdapters.h"
#include "outlook/win32/mapi/PropValues.h"

#include "outlook/win32/mapi/MapiHeaders.h"
#include "outlook/win32/mapi/OlkInterfaces.h"

namespace sealwing::outlook::win32 {
namespace {

using sealwing::win32::ComPtr;

class ComAccount final : public olk::Account {
public:
    explicit ComAccount(ComPtr<IOlkAccount> account) : account_(std::move(account)) {}

    HResult GetProp(mapi::PropTag tag, olk::AccountValue& value) override {
        value = {};
        ACCT_VARIANT variant{};
        const HRESULT result = account_->GetProp(tag, &variant);
        if (FAILED(result)) return result;
        switch (variant.dwType) {
            case PT_LONG:
                value = static_cast<std::uint32_t>(variant.Val.dw);
                break;
            case PT_UNICODE:
                if (variant.Val.pwsz != nullptr) {
                    value = std::wstring(variant.Val.pwsz);
                    account_->FreeMemory(reinterpret_cast<BYTE*>(variant.Val.pwsz));
                } else {
                    value = std::wstring();
                }
                break;
            case PT_BINARY:
                // No account property the add-in reads is binary; the account's copy is still to be freed.
                if (variant.Val.bin.pb != nullptr) account_->FreeMemory(variant.Val.bin.pb);
                break;
            default:
                break;
        }
        return result;
    }

private:
    ComPtr<IOlkAccount> account_;
};

class ComAccountEnum final : public olk::AccountEnum {
public:
    explicit ComAccountEnum(ComPtr<IOlkEnum> accounts) : accounts_(std::move(accounts)) {}

    HResult GetCount(std::uint32_t& count) override {
        DWORD number = 0;
        const HRESULT result = accounts_->GetCount(&number);
        if (SUCCEEDED(result)) count = number;
        return result;
    }

    HResult Reset() override { return accounts_->Reset(); }

    HResult GetNext(Ref<olk::Account>& account) override {
        account.reset();
        ComPtr<IUnknown> next;
        const HRESULT result = accounts_->GetNext(next.Receive());
        if (result != S_OK) return result;  // S_FALSE past the end, or the failure
        ComPtr<IOlkAccount> typed;
        if (!next || FAILED(next->QueryInterface(IID_IOlkAccount, reinterpret_cast<void**>(typed.Receive()))) ||
            !typed) {
            return E_NOINTERFACE;
        }
        account = std::make_shared<ComAccount>(std::move(typed));
        return S_OK;
    }

private:
    ComPtr<IOlkEnum> accounts_;
};

class ComAccountManager final : public olk::AccountManager {
public:
    explicit ComAccountManager(ComPtr<IOlkAccountManager> manager) : manager_(std::move(manager)) {}

    HResult Init(olk::AccountHelper& helper, std::uint32_t flags) override {
        const ComPtr<IOlkAccountHelper> callback = ComPtr<IOlkAccountHelper>::Attach(NewComAccountHelper(helper));
        return manager_->Init(callback.Get(), flags);
    }

    HResult EnumerateAccounts(const olk::Guid& category, const olk::Guid* type, std::uint32_t flags,
                              Ref<olk::AccountEnum>& accounts) override {
        accounts.reset();
        const CLSID categoryId = ToGuid(category);
        const CLSID typeId = type != nullptr ? ToGuid(*type) : CLSID{};
        ComPtr<IOlkEnum> listed;
        const HRESULT result =
            manager_->EnumerateAccounts(&categoryId, type != nullptr ? &typeId : nullptr, flags, listed.Receive());
        if (FAILED(result)) return result;
        if (!listed) return E_FAIL;
        accounts = std::make_shared<ComAccountEnum>(std::move(listed));
        return result;
    }

    HResult GetOrder(const olk::Guid& category, std::vector<std::uint32_t>& accountIds) override {
        accountIds.clear();
        const CLSID categoryId = ToGuid(category);
        DWORD count = 0;
        DWORD* ids = nullptr;
        const HRESULT result = manager_->GetOrder(&categoryId, &count, &ids);
        // The manager's array is its own to free, whatever the call said.
        const auto freeIds = [this](DWORD* array) {
            if (array != nullptr) manager_->FreeMemory(reinterpret_cast<BYTE*>(array));
        };
        const std::unique_ptr<DWORD, decltype(freeIds)> owned(ids, freeIds);
        if (FAILED(result)) return result;
        if (owned) accountIds.assign(owned.get(), owned.get() + count);
        return result;
    }

private:
    ComPtr<IOlkAccountManager> manager_;
};

// IOlkAccountHelper over the portable helper. Every reference taken through this object is one on the helper; the
// object itself goes with the last reference taken through it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // destroyed by Release only
class ComAccountHelper final : public IOlkAccountHelper {
public:
    // Takes over one reference the caller holds on the helper.
    explicit ComAccountHelper(olk::AccountHelper& helper) : helper_(helper) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IOlkAccountHelper)) return E_NOINTERFACE;
        olk::AccountHelper* answered = nullptr;
        const HRESULT result = helper_.QueryInterface(FromGuid(iid), &answered);
        if (FAILED(result)) return result;
        if (answered == nullptr) return E_NOINTERFACE;
        if (answered == &helper_) {
            ++references_;
            *object = static_cast<IOlkAccountHelper*>(this);
        } else {
            *object = static_cast<IOlkAccountHelper*>(new ComAccountHelper(*answered));
        }
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override {
        ++references_;
        return helper_.AddRef();
    }

    ULONG STDMETHODCALLTYPE Release() override {
        olk::AccountHelper& helper = helper_;
        const bool last = --references_ == 0;
        if (last) delete this;
        return helper.Release();  // may free the helper: nothing of this object is touched after
    }

    HRESULT STDMETHODCALLTYPE PlaceHolder1(LPVOID) override { return helper_.PlaceHolder1(); }

    HRESULT STDMETHODCALLTYPE GetIdentity(LPWSTR identity, DWORD* count) override {
        if (count == nullptr) return helper_.GetIdentity(identity, nullptr);
        std::uint32_t characters = *count;
        const HRESULT result = helper_.GetIdentity(identity, &characters);
        *count = characters;
        return result;
    }

    HRESULT STDMETHODCALLTYPE GetMapiSession(LPUNKNOWN* session) override {
        if (session == nullptr) return E_INVALIDARG;
        *session = nullptr;
        Ref<mapi::Session> held;
        const HRESULT result = helper_.GetMapiSession(&held);
        if (FAILED(result)) return result;
        IMAPISession* raw = held ? RawSession(*held) : nullptr;
        if (raw == nullptr) return E_NOTIMPL;  // no session of Outlook's behind it
        return raw->QueryInterface(IID_IMAPISession, reinterpret_cast<void**>(session));
    }

    HRESULT STDMETHODCALLTYPE HandsOffSession() override { return helper_.HandsOffSession(); }

private:
    ~ComAccountHelper() = default;

    olk::AccountHelper& helper_;
    std::atomic<ULONG> references_{1};
};
#pragma GCC diagnostic pop

}  // namespace

Ref<olk::AccountManager> WrapAccountManager(IUnknown* manager) {
    ComPtr<IOlkAccountManager> typed;
    if (manager == nullptr ||
        FAILED(manager->QueryInterface(IID_IOlkAccountManager, reinterpret_cast<void**>(typed.Receive()))) || !typed) {
        return nullptr;
    }
    return std::make_shared<ComAccountManager>(std::move(typed));
}

HResult CreateComAccountManager(Ref<olk::AccountManager>& manager) {
    manager.reset();
    ComPtr<IUnknown> created;
    const HRESULT result = CoCreateInstance(CLSID_OlkAccountManager, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IOlkAccountManager, reinterpret_cast<void**>(created.Receive()));
    if (FAILED(result)) return result;
    manager = WrapAccountManager(created.Get());
    return manager ? S_OK : E_NOINTERFACE;
}

IOlkAccountHelper* NewComAccountHelper(olk::AccountHelper& helper) {
    helper.AddRef();
    return new ComAccountHelper(helper);
}

}  // namespace sealwing::outlook::win32
