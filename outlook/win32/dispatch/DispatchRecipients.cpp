#include <string>
#include <utility>

#include "outlook/win32/dispatch/DispatchClient.h"
#include "outlook/win32/dispatch/DispatchObjects.h"
#include "outlook/win32/mapi/MapiAdapters.h"

// Recipients and the address book's entries, through IDispatch. UI thread only.
namespace sealwing::outlook::win32 {
namespace {

class DispatchRecipients final : public outlook::Recipients {
public:
    explicit DispatchRecipients(ComPtr<IDispatch> object) : client_(std::move(object), L"Recipients") {}

    int Count() override { return client_.GetInt(L"Count"); }
    Ref<Recipient> Item(int index) override {
        const auto at = ScopedVariant::Int(index);
        return MakeRecipient(client_.CallObject(L"Item", {at.Get()}));
    }
    Ref<Recipient> Add(const std::wstring& name) override {
        const auto text = ScopedVariant::String(name);
        return MakeRecipient(client_.CallObject(L"Add", {text.Get()}));
    }
    void Remove(int index) override {
        const auto at = ScopedVariant::Int(index);
        client_.Call(L"Remove", {at.Get()});
    }

private:
    DispatchClient client_;
};

class DispatchRecipient final : public outlook::Recipient {
public:
    explicit DispatchRecipient(ComPtr<IDispatch> object) : client_(std::move(object), L"Recipient") {}

    Ref<outlook::Application> Application() override { return MakeApplication(client_.GetObject(L"Application")); }
    std::wstring Name() override { return client_.GetString(L"Name"); }
    std::wstring Address() override { return client_.GetString(L"Address"); }
    RecipientType Type() override { return static_cast<RecipientType>(client_.GetInt(L"Type")); }
    void SetType(RecipientType type) override { client_.Put(L"Type", *ScopedVariant::Int(type).Get()); }
    Ref<outlook::AddressEntry> AddressEntry() override { return MakeAddressEntry(client_.GetObject(L"AddressEntry")); }
    bool Resolve() override { return DispatchClient::AsBool(client_.Call(L"Resolve"), L"Resolve"); }

private:
    DispatchClient client_;
};

class DispatchAddressEntry final : public outlook::AddressEntry {
public:
    explicit DispatchAddressEntry(ComPtr<IDispatch> object) : client_(std::move(object), L"AddressEntry") {}

    std::wstring Name() override { return client_.GetString(L"Name"); }
    std::wstring Address() override { return client_.GetString(L"Address"); }
    // Nothing when the object does not answer IMailUser.
    Ref<mapi::MailUser> MAPIOBJECT() override { return WrapMailUser(client_.GetUnknown(L"MAPIOBJECT").Get()); }
    int AddressEntryUserType() override { return client_.GetInt(L"AddressEntryUserType"); }
    Ref<ExchangeUser> GetExchangeUser() override { return MakeExchangeUser(client_.CallObject(L"GetExchangeUser")); }

private:
    DispatchClient client_;
};

class DispatchExchangeUser final : public outlook::ExchangeUser {
public:
    explicit DispatchExchangeUser(ComPtr<IDispatch> object) : client_(std::move(object), L"ExchangeUser") {}

    std::wstring PrimarySmtpAddress() override { return client_.GetString(L"PrimarySmtpAddress"); }

private:
    DispatchClient client_;
};

}  // namespace

Ref<outlook::Recipients> MakeRecipients(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchRecipients>(std::move(object));
}

Ref<outlook::Recipient> MakeRecipient(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchRecipient>(std::move(object));
}

Ref<outlook::AddressEntry> MakeAddressEntry(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchAddressEntry>(std::move(object));
}

Ref<outlook::ExchangeUser> MakeExchangeUser(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchExchangeUser>(std::move(object));
}

}  // namespace sealwing::outlook::win32
