#include <string>
#include <type_traits>
#include <utility>
#include <variant>

#include "outlook/win32/dispatch/DispatchClient.h"
#include "outlook/win32/dispatch/DispatchObjects.h"
#include "outlook/win32/mapi/MapiAdapters.h"

// An item's user properties and attachments, through IDispatch. UI thread only.
namespace sealwing::outlook::win32 {
namespace {

class DispatchUserProperties final : public outlook::UserProperties {
public:
    explicit DispatchUserProperties(ComPtr<IDispatch> object) : client_(std::move(object), L"UserProperties") {}

    Ref<UserProperty> Add(const std::wstring& name, UserPropertyType type, bool addToFolderFields,
                          int displayFormat) override {
        const auto text = ScopedVariant::String(name);
        const auto kind = ScopedVariant::Int(type);
        const auto addToFolder = ScopedVariant::Bool(addToFolderFields);
        const auto format = ScopedVariant::Int(displayFormat);
        return MakeUserProperty(client_.CallObject(L"Add", {text.Get(), kind.Get(), addToFolder.Get(), format.Get()}));
    }
    Ref<UserProperty> Find(const std::wstring& name) override {
        const auto text = ScopedVariant::String(name);
        return MakeUserProperty(client_.CallObject(L"Find", {text.Get()}));
    }

private:
    DispatchClient client_;
};

class DispatchUserProperty final : public outlook::UserProperty {
public:
    explicit DispatchUserProperty(ComPtr<IDispatch> object) : client_(std::move(object), L"UserProperty") {}

    std::wstring Name() override { return client_.GetString(L"Name"); }
    Variant Value() override { return VariantFrom(*client_.Get(L"Value").Get()); }
    void SetValue(const Variant& value) override { client_.Put(L"Value", *ToVariant(value).Get()); }

private:
    DispatchClient client_;
};

class DispatchAttachments final : public outlook::Attachments {
public:
    explicit DispatchAttachments(ComPtr<IDispatch> object) : client_(std::move(object), L"Attachments") {}

    int Count() override { return client_.GetInt(L"Count"); }
    Ref<Attachment> Item(int index) override {
        const auto at = ScopedVariant::Int(index);
        return MakeAttachment(client_.CallObject(L"Item", {at.Get()}));
    }
    Ref<Attachment> Add(const std::wstring& sourcePath, AttachmentType type, int position,
                        const std::wstring& displayName) override {
        const auto source = ScopedVariant::String(sourcePath);
        const auto kind = ScopedVariant::Int(type);
        const auto at = ScopedVariant::Int(position);
        const auto name = ScopedVariant::String(displayName);
        return MakeAttachment(client_.CallObject(L"Add", {source.Get(), kind.Get(), at.Get(), name.Get()}));
    }

private:
    DispatchClient client_;
};

class DispatchAttachment final : public outlook::Attachment {
public:
    explicit DispatchAttachment(ComPtr<IDispatch> object) : client_(std::move(object), L"Attachment") {}

    std::wstring FileName() override { return client_.GetString(L"FileName"); }
    std::wstring DisplayName() override { return client_.GetString(L"DisplayName"); }
    AttachmentType Type() override { return static_cast<AttachmentType>(client_.GetInt(L"Type")); }
    void SaveAsFile(const std::wstring& path) override {
        const auto target = ScopedVariant::String(path);
        client_.Call(L"SaveAsFile", {target.Get()});
    }
    Ref<mapi::Prop> MAPIOBJECT() override { return WrapProp(client_.GetUnknown(L"MAPIOBJECT").Get()); }

private:
    DispatchClient client_;
};

ScopedVariant Changed(const VARIANT& value, VARTYPE type) {
    ScopedVariant converted;
    const HRESULT result = VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value), 0, type);
    if (FAILED(result)) throw ComError(DISP_E_TYPEMISMATCH, L"Value: a value of an unexpected type");
    return converted;
}

}  // namespace

Variant VariantFrom(const VARIANT& value) {
    const VARIANT& plain = value.vt == (VT_VARIANT | VT_BYREF) && value.pvarVal != nullptr ? *value.pvarVal : value;
    switch (plain.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return std::monostate{};
        case VT_BOOL:
            return plain.boolVal != VARIANT_FALSE;
        case VT_I1:
        case VT_I2:
        case VT_I4:
        case VT_INT:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_UINT:
            return static_cast<std::int32_t>(Changed(plain, VT_I4).Get()->lVal);
        case VT_R4:
        case VT_R8:
        case VT_DATE:
        case VT_CY:
        case VT_DECIMAL:
            return Changed(plain, VT_R8).Get()->dblVal;
        case VT_BSTR:
            return plain.bstrVal != nullptr ? std::wstring(plain.bstrVal, SysStringLen(plain.bstrVal)) : std::wstring();
        default:
            throw ComError(DISP_E_TYPEMISMATCH, L"Value: a value of an unexpected type");
    }
}

ScopedVariant ToVariant(const Variant& value) {
    return std::visit(
        [](const auto& data) -> ScopedVariant {
            using Data = std::decay_t<decltype(data)>;
            if constexpr (std::is_same_v<Data, std::monostate>) {
                return ScopedVariant();
            } else if constexpr (std::is_same_v<Data, bool>) {
                return ScopedVariant::Bool(data);
            } else if constexpr (std::is_same_v<Data, std::int32_t>) {
                return ScopedVariant::Int(data);
            } else if constexpr (std::is_same_v<Data, double>) {
                return ScopedVariant::Double(data);
            } else {
                return ScopedVariant::String(data);
            }
        },
        value);
}

Ref<outlook::UserProperties> MakeUserProperties(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchUserProperties>(std::move(object));
}

Ref<outlook::UserProperty> MakeUserProperty(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchUserProperty>(std::move(object));
}

Ref<outlook::Attachments> MakeAttachments(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchAttachments>(std::move(object));
}

Ref<outlook::Attachment> MakeAttachment(ComPtr<IDispatch> object) {
    if (!object) return nullptr;
    return std::make_shared<DispatchAttachment>(std::move(object));
}

}  // namespace sealwing::outlook::win32
