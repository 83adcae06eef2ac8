#include "outlook/win32/dispatch/DispatchClient.h"

#include <map>
#include <utility>
#include <vector>

#include "outlook/win32/dispatch/ComErrorFrom.h"

namespace sealwing::outlook::win32 {
namespace {

// "Type.Member" -> DISPID. Only the UI thread reaches it.
std::map<std::wstring, DISPID>& DispidCache() {
    static std::map<std::wstring, DISPID> cache;
    return cache;
}

std::wstring Named(const wchar_t* what, const wchar_t* detail) { return std::wstring(what) + L": " + detail; }

ScopedVariant Converted(ScopedVariant value, VARTYPE type, const wchar_t* what) {
    if (value.Type() == type) return value;
    if (value.Type() == VT_DISPATCH || value.Type() == VT_UNKNOWN) {
        throw ComError(DISP_E_TYPEMISMATCH, Named(what, L"an object where a value was expected"));
    }
    ScopedVariant converted;
    const HRESULT result = VariantChangeType(converted.Get(), value.Get(), 0, type);
    if (FAILED(result)) throw ComError(result, Named(what, L"the result has an unexpected type"));
    return converted;
}

}  // namespace

DispatchClient::DispatchClient(ComPtr<IDispatch> object, const wchar_t* typeName)
    : object_(std::move(object)), typeName_(typeName) {
    if (!object_) throw ComError(E_POINTER, std::wstring(L"No ") + typeName_ + L" object");
}

DISPID DispatchClient::Resolve(const wchar_t* member) const {
    const std::wstring key = std::wstring(typeName_) + L"." + member;
    auto& cache = DispidCache();
    if (const auto found = cache.find(key); found != cache.end()) return found->second;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR name = const_cast<LPOLESTR>(member);  // GetIDsOfNames takes non-const names and only reads them
    const HRESULT result = object_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(result)) throw ComError(result, Named(key.c_str(), L"unknown member"));
    cache.emplace(key, id);
    return id;
}

ScopedVariant DispatchClient::Invoke(const wchar_t* member, WORD flags,
                                     std::initializer_list<const VARIANT*> arguments) const {
    const DISPID id = Resolve(member);
    // IDispatch wants the last argument first. The arguments are only read: Invoke takes them non-const.
    std::vector<VARIANT> reversed;
    reversed.reserve(arguments.size());
    for (auto at = arguments.end(); at != arguments.begin();) reversed.push_back(**--at);
    DISPPARAMS parameters{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    DISPID named = DISPID_PROPERTYPUT;
    if (flags == DISPATCH_PROPERTYPUT) {
        parameters.rgdispidNamedArgs = &named;
        parameters.cNamedArgs = 1;
    }
    ScopedVariant result;
    EXCEPINFO exception{};
    UINT badArgument = 0;
    const HRESULT code =
        object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                        flags == DISPATCH_PROPERTYPUT ? nullptr : result.Receive(), &exception, &badArgument);
    if (FAILED(code)) throw ComErrorFrom(code, &exception);
    return result;
}

ScopedVariant DispatchClient::Get(const wchar_t* member, std::initializer_list<const VARIANT*> arguments) const {
    return Invoke(member, DISPATCH_PROPERTYGET, arguments);
}

ScopedVariant DispatchClient::Call(const wchar_t* member, std::initializer_list<const VARIANT*> arguments) const {
    return Invoke(member, DISPATCH_METHOD, arguments);
}

void DispatchClient::Put(const wchar_t* member, const VARIANT& value) const {
    Invoke(member, DISPATCH_PROPERTYPUT, {&value});
}

std::wstring DispatchClient::AsString(ScopedVariant value, const wchar_t* what) {
    const ScopedVariant text = Converted(std::move(value), VT_BSTR, what);
    const BSTR bstr = text.Get()->bstrVal;
    return bstr != nullptr ? std::wstring(bstr, SysStringLen(bstr)) : std::wstring();
}

std::int32_t DispatchClient::AsInt(ScopedVariant value, const wchar_t* what) {
    return Converted(std::move(value), VT_I4, what).Get()->lVal;
}

bool DispatchClient::AsBool(ScopedVariant value, const wchar_t* what) {
    return Converted(std::move(value), VT_BOOL, what).Get()->boolVal != VARIANT_FALSE;
}

ComPtr<IDispatch> DispatchClient::AsObject(const VARIANT& value, const wchar_t* what) {
    switch (value.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return {};
        case VT_DISPATCH:
            return ComPtr<IDispatch>(value.pdispVal);
        case VT_UNKNOWN: {
            if (value.punkVal == nullptr) return {};
            ComPtr<IDispatch> object;
            const HRESULT result =
                value.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object.Receive()));
            if (FAILED(result)) throw ComError(result, Named(what, L"the object has no IDispatch"));
            return object;
        }
        default:
            throw ComError(DISP_E_TYPEMISMATCH, Named(what, L"a value where an object was expected"));
    }
}

std::wstring DispatchClient::GetString(const wchar_t* member) const { return AsString(Get(member), member); }

std::int32_t DispatchClient::GetInt(const wchar_t* member) const { return AsInt(Get(member), member); }

bool DispatchClient::GetBool(const wchar_t* member) const { return AsBool(Get(member), member); }

double DispatchClient::GetDate(const wchar_t* member) const {
    return Converted(Get(member), VT_DATE, member).Get()->date;
}

ComPtr<IDispatch> DispatchClient::GetObject(const wchar_t* member,
                                            std::initializer_list<const VARIANT*> arguments) const {
    const ScopedVariant value = Get(member, arguments);
    return AsObject(*value.Get(), member);
}

ComPtr<IDispatch> DispatchClient::CallObject(const wchar_t* member,
                                             std::initializer_list<const VARIANT*> arguments) const {
    const ScopedVariant value = Call(member, arguments);
    return AsObject(*value.Get(), member);
}

ComPtr<IUnknown> DispatchClient::GetUnknown(const wchar_t* member) const {
    const ScopedVariant value = Get(member);
    switch (value.Type()) {
        case VT_EMPTY:
        case VT_NULL:
            return {};
        case VT_UNKNOWN:
            return ComPtr<IUnknown>(value.Get()->punkVal);
        case VT_DISPATCH:
            return ComPtr<IUnknown>(value.Get()->pdispVal);
        default:
            throw ComError(DISP_E_TYPEMISMATCH, Named(member, L"a value where an object was expected"));
    }
}

platform::WindowHandle DispatchClient::Window() const {
    ComPtr<IOleWindow> window;
    HRESULT result = object_->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(window.Receive()));
    if (FAILED(result)) throw ComErrorFrom(result);
    HWND handle = nullptr;
    result = window->GetWindow(&handle);
    if (FAILED(result)) throw ComErrorFrom(result);
    return reinterpret_cast<platform::WindowHandle>(handle);
}

}  // namespace sealwing::outlook::win32
