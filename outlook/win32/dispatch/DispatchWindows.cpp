#include <utility>

#include "outlook/win32/dispatch/DispatchClient.h"
#include "outlook/win32/dispatch/DispatchObjects.h"
#include "outlook/win32/dispatch/EventSinks.h"

// Outlook's windows and their collections, through IDispatch; frame windows through IOleWindow. UI thread only.
namespace sealwing::outlook::win32 {
namespace {

// Word's Document interface (_Document), {0002096B-0000-0000-C000-000000000046}.
constexpr IID kIID_WordDocument = {0x0002096B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class DispatchWordDocument final : public outlook::WordDocument {
public:
    explicit DispatchWordDocument(ComPtr<IDispatch> object) : client_(std::move(object), L"Document") {}

    void CheckSpelling() override { client_.Call(L"CheckSpelling"); }
    Ref<outlook::CommandBars> CommandBars() override { return MakeCommandBars(client_.GetObject(L"CommandBars")); }

private:
    DispatchClient client_;
};

ComPtr<IDispatch> ItemOf(const DispatchClient& client, int index) {
    const auto at = ScopedVariant::Int(index);
    const auto item = client.Call(L"Item", {at.Get()});
    return DispatchClient::AsObject(*item.Get(), L"Item");
}

class DispatchSelection final : public outlook::Selection {
public:
    explicit DispatchSelection(ComPtr<IDispatch> object) : client_(std::move(object), L"Selection") {}

    int Count() override { return client_.GetInt(L"Count"); }
    Ref<Object> Item(int index) override { return MakeItem(ItemOf(client_, index)); }

private:
    DispatchClient client_;
};

class DispatchExplorers final : public outlook::Explorers {
public:
    explicit DispatchExplorers(ComPtr<IDispatch> object)
        : client_(std::move(object), L"Explorers"), events_(client_.Raw()) {}

    int Count() override { return client_.GetInt(L"Count"); }
    Ref<Explorer> Item(int index) override { return MakeExplorer(ItemOf(client_, index)); }
    ConnectionPoint<ExplorersEvents>& Events() override { return events_; }

private:
    DispatchClient client_;
    DispatchConnectionPoint<ExplorersEvents> events_;
};

class DispatchExplorer final : public outlook::Explorer {
public:
    explicit DispatchExplorer(ComPtr<IDispatch> object)
        : client_(std::move(object), L"Explorer"), events_(client_.Raw()) {}

    platform::WindowHandle Window() override { return client_.Window(); }
    std::wstring Caption() override { return client_.GetString(L"Caption"); }
    Ref<outlook::Selection> Selection() override { return MakeSelection(client_.GetObject(L"Selection")); }
    bool IsPaneVisible(Pane pane) override {
        const auto which = ScopedVariant::Int(pane);
        return DispatchClient::AsBool(client_.Call(L"IsPaneVisible", {which.Get()}), L"IsPaneVisible");
    }
    Ref<outlook::CommandBars> CommandBars() override { return MakeCommandBars(client_.GetObject(L"CommandBars")); }
    ConnectionPoint<ExplorerEvents>& Events() override { return events_; }

private:
    DispatchClient client_;
    DispatchConnectionPoint<ExplorerEvents> events_;
};

class DispatchInspectors final : public outlook::Inspectors {
public:
    explicit DispatchInspectors(ComPtr<IDispatch> object)
        : client_(std::move(object), L"Inspectors"), events_(client_.Raw()) {}

    int Count() override { return client_.GetInt(L"Count"); }
    Ref<Inspector> Item(int index) override { return MakeInspector(ItemOf(client_, index)); }
    Ref<Inspector> Add(const Ref<Object>& item) override {
        const ScopedVariant argument = VariantOfItem(item);
        return MakeInspector(client_.GetObject(L"Add", {argument.Get()}));
    }
    ConnectionPoint<InspectorsEvents>& Events() override { return events_; }

private:
    DispatchClient client_;
    DispatchConnectionPoint<InspectorsEvents> events_;
};

class DispatchInspector final : public outlook::Inspector {
public:
    explicit DispatchInspector(ComPtr<IDispatch> object)
        : client_(std::move(object), L"Inspector"), events_(client_.Raw()) {}

    platform::WindowHandle Window() override { return client_.Window(); }
    std::wstring Caption() override { return client_.GetString(L"Caption"); }
    Ref<Object> CurrentItem() override { return MakeItem(client_.GetObject(L"CurrentItem")); }
    void Activate() override { client_.Call(L"Activate"); }
    // Outlook 2003's own editor answers Nothing, or an object that is no Word document.
    Ref<WordDocument> WordEditor() override {
        const ComPtr<IDispatch> editor = client_.GetObject(L"WordEditor");
        ComPtr<IDispatch> document;
        if (!editor ||
            FAILED(editor->QueryInterface(kIID_WordDocument, reinterpret_cast<void**>(document.Receive())))) {
            return nullptr;
        }
        return std::make_shared<DispatchWordDocument>(std::move(document));
    }
    bool IsWordMail() override { return DispatchClient::AsBool(client_.Call(L"IsWordMail"), L"IsWordMail"); }
    Ref<outlook::CommandBars> CommandBars() override { return MakeCommandBars(client_.GetObject(L"CommandBars")); }
    void Close(InspectorClose mode) override {
        const auto how = ScopedVariant::Int(mode);
        client_.Call(L"Close", {how.Get()});
    }
    ConnectionPoint<InspectorEvents>& Events() override { return events_; }

private:
    DispatchClient client_;
    DispatchConnectionPoint<InspectorEvents> events_;
};

}  // namespace

Ref<outlook::Selection> MakeSelection(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchSelection>(std::move(object));
}

Ref<outlook::Explorers> MakeExplorers(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchExplorers>(std::move(object));
}

Ref<outlook::Explorer> MakeExplorer(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchExplorer>(std::move(object));
}

Ref<outlook::Inspectors> MakeInspectors(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchInspectors>(std::move(object));
}

Ref<outlook::Inspector> MakeInspector(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchInspector>(std::move(object));
}

}  // namespace sealwing::outlook::win32
