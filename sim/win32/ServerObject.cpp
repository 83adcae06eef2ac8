#include "sim/win32/ServerObject.h"

#include <algorithm>
#include <cwctype>

#include "sim/win32/ServerConnectionPoint.h"

namespace sealwing::sim::win32 {
namespace {

// Answered by a served object with itself (ServerObject*, not an interface): an argument coming back through
// IDispatch is known for the harness's own by asking, never by casting a pointer that may be someone else's.
constexpr IID kServerObjectIid = {0xbe5fdfd7, 0xea8d, 0x43cc, {0xb3, 0x69, 0xcc, 0xdd, 0x01, 0x37, 0x88, 0x04}};

bool SameName(const std::wstring& a, const wchar_t* b) {
    // IDispatch names are case-insensitive.
    std::size_t at = 0;
    for (; at < a.size() && b[at] != L'\0'; ++at) {
        if (std::towlower(a[at]) != std::towlower(b[at])) return false;
    }
    return at == a.size() && b[at] == L'\0';
}

ScopedVariant Converted(const VARIANT& value, VARTYPE type) {
    ScopedVariant converted;
    const HRESULT result = VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value), 0, type);
    if (FAILED(result)) throw outlook::ComError(DISP_E_TYPEMISMATCH, L"Argument of the wrong type");
    return converted;
}

}  // namespace

void SetErrorDescription(const std::wstring& description) {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.Receive())) || !create) return;
    create->SetDescription(const_cast<LPOLESTR>(description.c_str()));  // copied by the call
    const auto info = create.As<IErrorInfo>(IID_IErrorInfo);
    SetErrorInfo(0, info.Get());
}

const VARIANT& ServerArguments::At(UINT index) const {
    if (index >= Count()) throw outlook::ComError(DISP_E_BADPARAMCOUNT, L"Missing argument");
    const VARIANT& argument = parameters_.rgvarg[parameters_.cArgs - 1 - index];
    if (argument.vt == (VT_VARIANT | VT_BYREF) && argument.pvarVal != nullptr) return *argument.pvarVal;
    return argument;
}

bool ServerArguments::Present(UINT index) const {
    if (index >= Count()) return false;
    const VARIANT& argument = At(index);
    return !(argument.vt == VT_ERROR && argument.scode == DISP_E_PARAMNOTFOUND);
}

std::int32_t ServerArguments::Int(UINT index) const { return Converted(At(index), VT_I4).Get()->lVal; }

bool ServerArguments::Bool(UINT index) const { return Converted(At(index), VT_BOOL).Get()->boolVal != VARIANT_FALSE; }

std::wstring ServerArguments::String(UINT index) const {
    const ScopedVariant text = Converted(At(index), VT_BSTR);
    const BSTR bstr = text.Get()->bstrVal;
    return bstr != nullptr ? std::wstring(bstr, SysStringLen(bstr)) : std::wstring();
}

outlook::Ref<outlook::Object> ServerArguments::Source(UINT index) const {
    const VARIANT& argument = At(index);
    if (argument.vt == VT_DISPATCH) return ServerObject::SourceOf(argument.pdispVal);
    if (argument.vt == (VT_DISPATCH | VT_BYREF) && argument.ppdispVal != nullptr) {
        return ServerObject::SourceOf(*argument.ppdispVal);
    }
    throw outlook::ComError(DISP_E_TYPEMISMATCH, L"An object was expected");
}

HRESULT ReportException(const outlook::ComError& error, EXCEPINFO* exception) {
    if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->scode = error.Code();
        exception->bstrSource = ScopedBstr(L"Outlook").Detach();
        exception->bstrDescription = ScopedBstr(error.Description()).Detach();
    }
    return DISP_E_EXCEPTION;
}

ComPtr<ServerObject> ServerObject::Create(std::wstring typeName) {
    return ComPtr<ServerObject>::Attach(new ServerObject(std::move(typeName)));
}

ServerObject::ServerObject(std::wstring typeName) : typeName_(std::move(typeName)) {}

ServerObject::~ServerObject() = default;

void ServerObject::AddMember(const wchar_t* name, Getter get, Setter put) {
    members_.push_back(Member{name, std::move(get), std::move(put)});
}

void ServerObject::AddConnectionPoint(std::unique_ptr<ServerConnectionPointBase> point) {
    points_.push_back(std::move(point));
}

outlook::Ref<outlook::Object> ServerObject::SourceOf(IDispatch* object) {
    if (object == nullptr) return nullptr;
    ServerObject* served = nullptr;
    if (FAILED(object->QueryInterface(kServerObjectIid, reinterpret_cast<void**>(&served))) || served == nullptr) {
        return nullptr;
    }
    const auto owned = ComPtr<ServerObject>::Attach(served);
    return owned->Source();
}

HRESULT ServerObject::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, kServerObjectIid)) {
        *object = this;
    } else if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
        *object = static_cast<IDispatch*>(this);
    } else if (std::any_of(dualInterfaces_.begin(), dualInterfaces_.end(),
                           [&iid](const IID& dual) { return IsEqualIID(iid, dual) != 0; })) {
        *object = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(iid, IID_IOleWindow) && window_) {
        *object = static_cast<IOleWindow*>(this);
    } else if (IsEqualIID(iid, IID_IConnectionPointContainer) && !points_.empty()) {
        *object = static_cast<IConnectionPointContainer*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG ServerObject::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT ServerObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT ServerObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT ServerObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    HRESULT result = S_OK;
    for (UINT at = 0; at < count; ++at) ids[at] = DISPID_UNKNOWN;
    for (std::size_t index = 0; index < members_.size(); ++index) {
        if (SameName(members_[index].name, names[0])) ids[0] = static_cast<DISPID>(index + 1);
    }
    if (ids[0] == DISPID_UNKNOWN || count > 1) result = DISP_E_UNKNOWNNAME;  // no named arguments are served
    return result;
}

HRESULT ServerObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                             EXCEPINFO* exception, UINT*) {
    if (id < 1 || static_cast<std::size_t>(id) > members_.size()) return DISP_E_MEMBERNOTFOUND;
    if (parameters == nullptr) return E_INVALIDARG;
    if (result != nullptr) VariantInit(result);
    const Member& member = members_[static_cast<std::size_t>(id - 1)];
    // The object must outlive a member that ends up releasing the last outside reference.
    const ComPtr<ServerObject> self(this);
    try {
        const ServerArguments arguments(*parameters);
        if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
            if (!member.put) return DISP_E_MEMBERNOTFOUND;
            if (parameters->cArgs < 1) return DISP_E_BADPARAMCOUNT;
            const VARIANT& value = parameters->rgvarg[0];
            member.put(value.vt == (VT_VARIANT | VT_BYREF) ? *value.pvarVal : value);
            return S_OK;
        }
        if (!member.get) return DISP_E_MEMBERNOTFOUND;
        ScopedVariant value = member.get(arguments);
        if (result != nullptr) value.DetachTo(result);
        return S_OK;
    } catch (const outlook::ComError& error) {
        return ReportException(error, exception);
    }
}

HRESULT ServerObject::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = nullptr;
    if (!window_) return E_NOTIMPL;
    try {
        *window = reinterpret_cast<HWND>(window_());
        return S_OK;
    } catch (const outlook::ComError& error) {
        // No EXCEPINFO on a plain interface: the description travels as the thread's error object.
        SetErrorDescription(error.Description());
        return error.Code();
    }
}

HRESULT ServerObject::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr) *points = nullptr;
    return E_NOTIMPL;  // Outlook's clients ask for a point by its interface
}

HRESULT ServerObject::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    for (const auto& candidate : points_) {
        if (IsEqualIID(candidate->Iid(), iid)) {
            *point = candidate.get();
            (*point)->AddRef();
            return S_OK;
        }
    }
    return outlook::hr::Connect_E_NoConnection;
}

}  // namespace sealwing::sim::win32
