#include <string>
#include <utility>

#include "outlook/win32/dispatch/DispatchClient.h"
#include "outlook/win32/dispatch/DispatchObjects.h"
#include "outlook/win32/mapi/MapiAdapters.h"

// Accounts, stores and folders, through IDispatch. UI thread only.
namespace sealwing::outlook::win32 {
namespace {

class DispatchAccounts final : public outlook::Accounts {
public:
    explicit DispatchAccounts(ComPtr<IDispatch> object) : client_(std::move(object), L"Accounts") {}

    int Count() override { return client_.GetInt(L"Count"); }
    Ref<Account> Item(int index) override {
        const auto at = ScopedVariant::Int(index);
        return MakeAccount(client_.CallObject(L"Item", {at.Get()}));
    }

private:
    DispatchClient client_;
};

class DispatchAccount final : public outlook::Account {
public:
    explicit DispatchAccount(ComPtr<IDispatch> object) : client_(std::move(object), L"Account") {}

    outlook::AccountType AccountType() override {
        return static_cast<outlook::AccountType>(client_.GetInt(L"AccountType"));
    }
    std::wstring DisplayName() override { return client_.GetString(L"DisplayName"); }
    std::wstring SmtpAddress() override { return client_.GetString(L"SmtpAddress"); }
    std::wstring UserName() override { return client_.GetString(L"UserName"); }
    Ref<Recipient> CurrentUser() override { return MakeRecipient(client_.GetObject(L"CurrentUser")); }
    Ref<Store> DeliveryStore() override { return MakeStore(client_.GetObject(L"DeliveryStore")); }

private:
    DispatchClient client_;
};

class DispatchStore final : public outlook::Store {
public:
    explicit DispatchStore(ComPtr<IDispatch> object) : client_(std::move(object), L"Store") {}

    std::wstring DisplayName() override { return client_.GetString(L"DisplayName"); }
    Ref<MAPIFolder> GetDefaultFolder(DefaultFolder folder) override {
        const auto kind = ScopedVariant::Int(folder);
        return MakeFolder(client_.CallObject(L"GetDefaultFolder", {kind.Get()}));
    }

private:
    DispatchClient client_;
};

class DispatchFolder final : public outlook::MAPIFolder {
public:
    explicit DispatchFolder(ComPtr<IDispatch> object) : client_(std::move(object), L"MAPIFolder") {}

    std::wstring EntryID() override { return client_.GetString(L"EntryID"); }
    Ref<outlook::Store> Store() override { return MakeStore(client_.GetObject(L"Store")); }
    Ref<mapi::Folder> MAPIOBJECT() override { return WrapFolder(client_.GetUnknown(L"MAPIOBJECT").Get()); }

private:
    DispatchClient client_;
};

}  // namespace

Ref<outlook::Accounts> MakeAccounts(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchAccounts>(std::move(object));
}

Ref<outlook::Account> MakeAccount(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchAccount>(std::move(object));
}

Ref<outlook::Store> MakeStore(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchStore>(std::move(object));
}

Ref<outlook::MAPIFolder> MakeFolder(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchFolder>(std::move(object));
}

}  // namespace sealwing::outlook::win32
