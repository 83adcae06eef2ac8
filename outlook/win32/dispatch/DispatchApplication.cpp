#include <utility>

#include "outlook/win32/dispatch/DispatchClient.h"
#include "outlook/win32/dispatch/DispatchObjects.h"
#include "outlook/win32/dispatch/EventSinks.h"
#include "outlook/win32/mapi/MapiAdapters.h"

// Application, its NameSpace and the COM add-in list, through IDispatch. UI thread only.
namespace sealwing::outlook::win32 {
namespace {

class DispatchApplication final : public outlook::Application {
public:
    explicit DispatchApplication(ComPtr<IDispatch> object)
        : client_(std::move(object), L"Application"), events_(client_.Raw()) {}

    std::wstring Version() override { return client_.GetString(L"Version"); }
    Ref<NameSpace> Session() override { return MakeNameSpace(client_.GetObject(L"Session")); }
    Ref<Explorer> ActiveExplorer() override { return MakeExplorer(client_.GetObject(L"ActiveExplorer")); }
    Ref<Inspector> ActiveInspector() override { return MakeInspector(client_.GetObject(L"ActiveInspector")); }
    Ref<outlook::Explorers> Explorers() override { return MakeExplorers(client_.GetObject(L"Explorers")); }
    Ref<outlook::Inspectors> Inspectors() override { return MakeInspectors(client_.GetObject(L"Inspectors")); }
    Ref<outlook::COMAddIns> COMAddIns() override { return MakeCOMAddIns(client_.GetObject(L"COMAddIns")); }
    ConnectionPoint<ApplicationEvents>& Events() override { return events_; }

private:
    DispatchClient client_;
    DispatchConnectionPoint<ApplicationEvents> events_;
};

class DispatchNameSpace final : public outlook::NameSpace {
public:
    explicit DispatchNameSpace(ComPtr<IDispatch> object) : client_(std::move(object), L"NameSpace") {}

    Ref<Recipient> CurrentUser() override { return MakeRecipient(client_.GetObject(L"CurrentUser")); }
    Ref<MAPIFolder> GetDefaultFolder(DefaultFolder folder) override {
        const auto kind = ScopedVariant::Int(folder);
        return MakeFolder(client_.CallObject(L"GetDefaultFolder", {kind.Get()}));
    }
    Ref<Object> GetItemFromID(const std::wstring& entryId, const std::wstring& storeId) override {
        const auto entry = ScopedVariant::String(entryId);
        const auto store = ScopedVariant::String(storeId);
        const auto item = client_.Call(L"GetItemFromID", {entry.Get(), store.Get()});
        const auto object = DispatchClient::AsObject(*item.Get(), L"GetItemFromID");
        if (!object) throw ComError(hr::Mapi_E_NotFound, L"GetItemFromID: no item");
        return MakeItem(object);
    }
    // Nothing when the object does not answer IMAPISession.
    Ref<mapi::Session> MAPIOBJECT() override { return WrapSession(client_.GetUnknown(L"MAPIOBJECT").Get()); }
    Ref<outlook::Accounts> Accounts() override { return MakeAccounts(client_.GetObject(L"Accounts")); }
    std::wstring CurrentProfileName() override { return client_.GetString(L"CurrentProfileName"); }

private:
    DispatchClient client_;
};

class DispatchCOMAddIns final : public outlook::COMAddIns {
public:
    explicit DispatchCOMAddIns(ComPtr<IDispatch> object) : client_(std::move(object), L"COMAddIns") {}

    int Count() override { return client_.GetInt(L"Count"); }
    Ref<COMAddIn> Item(int index) override {
        const auto at = ScopedVariant::Int(index);
        return MakeCOMAddIn(DispatchClient::AsObject(*client_.Call(L"Item", {at.Get()}).Get(), L"Item"));
    }

private:
    DispatchClient client_;
};

class DispatchCOMAddIn final : public outlook::COMAddIn {
public:
    explicit DispatchCOMAddIn(ComPtr<IDispatch> object) : client_(std::move(object), L"COMAddIn") {}

    std::wstring Guid() override { return client_.GetString(L"Guid"); }
    std::wstring ProgId() override { return client_.GetString(L"ProgId"); }
    std::wstring Description() override { return client_.GetString(L"Description"); }

private:
    DispatchClient client_;
};

}  // namespace

Ref<outlook::Application> MakeApplication(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchApplication>(std::move(object));
}

Ref<outlook::NameSpace> MakeNameSpace(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchNameSpace>(std::move(object));
}

Ref<outlook::COMAddIns> MakeCOMAddIns(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchCOMAddIns>(std::move(object));
}

Ref<outlook::COMAddIn> MakeCOMAddIn(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchCOMAddIn>(std::move(object));
}

}  // namespace sealwing::outlook::win32
