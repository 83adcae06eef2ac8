#include "addin/win32/SealwingAddinCom.h"

#include <string>
#include <string_view>

#include "addin/win32/ButtonPicture.h"
#include "addin/win32/ComEntry.h"
#include "addin/win32/Module.h"
#include "addin/win32/ResourceData.h"
#include "addin/win32/TypeLibrary.h"
#include "addin/win32/WindowsPlatform.h"
#include "diagnostics/FixedTexts.h"
#include "diagnostics/Log.h"
#include "outlook/win32/dispatch/WrapApplication.h"
#include "platform/EntryGuard.h"

namespace sealwing::win32 {
namespace {

constexpr int kComposeRibbonResource = 210;
constexpr int kExplorerRibbonResource = 211;

}  // namespace

platform::WindowHandle RibbonControlWindow(IDispatch* ribbonControl) {
    if (ribbonControl == nullptr) return platform::kNoWindow;
    ComPtr<IRibbonControl> control;
    if (FAILED(ribbonControl->QueryInterface(kIidIRibbonControl, reinterpret_cast<void**>(control.Receive()))) ||
        !control) {
        return platform::kNoWindow;
    }
    ComPtr<IDispatch> context;
    if (FAILED(control->get_Context(context.Receive())) || !context) return platform::kNoWindow;
    const auto window = context.As<IOleWindow>(IID_IOleWindow);
    HWND handle = nullptr;
    if (!window || FAILED(window->GetWindow(&handle)) || handle == nullptr) return platform::kNoWindow;
    return reinterpret_cast<platform::WindowHandle>(handle);
}

HRESULT LoadRibbonCallbackTypeInfo(ComPtr<ITypeInfo>& typeInfo) {
    ComPtr<ITypeLib> typeLib;
    std::wstring path;
    const HRESULT result = LoadOwnTypeLib(typeLib, path);
    if (FAILED(result)) return result;
    return typeLib->GetTypeInfoOfGuid(IID_IRibbonCallback, typeInfo.Receive());
}

HRESULT CSealwingAddinCom::Create(CSealwingAddinCom** created) {
    if (created == nullptr) return E_POINTER;
    *created = nullptr;
    return GuardComEntry([&] {
        ComPtr<ITypeInfo> typeInfo;
        const HRESULT result = LoadRibbonCallbackTypeInfo(typeInfo);
        if (FAILED(result)) return result;
        *created = new CSealwingAddinCom(std::move(typeInfo));
        return S_OK;
    });
}

CSealwingAddinCom::CSealwingAddinCom(ComPtr<ITypeInfo> typeInfo) : typeInfo_(std::move(typeInfo)) {
    AcquireWindowsPlatform();
    try {
        addin_ = std::make_unique<CSealwingAddin>();
    } catch (...) {
        ReleaseWindowsPlatform();  // no destructor runs for an object that was never made
        throw;
    }
    LockModule();
}

// Runs inside the last Release, an entry from Outlook.
CSealwingAddinCom::~CSealwingAddinCom() {
    platform::GuardEntry([this] {
        addin_.reset();
        ReleaseWindowsPlatform();
    });
    UnlockModule();
}

HRESULT CSealwingAddinCom::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IRibbonCallback)) {
        *object = static_cast<IRibbonCallback*>(this);
    } else if (IsEqualIID(iid, kIidIDTExtensibility2)) {
        *object = static_cast<_IDTExtensibility2*>(this);
    } else if (IsEqualIID(iid, kIidIRibbonExtensibility)) {
        *object = static_cast<IRibbonExtensibility*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CSealwingAddinCom::AddRef() { return ++references_; }

ULONG CSealwingAddinCom::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT CSealwingAddinCom::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT CSealwingAddinCom::GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) {
    if (typeInfo == nullptr) return E_POINTER;
    *typeInfo = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    typeInfo_->AddRef();
    *typeInfo = typeInfo_.Get();
    return S_OK;
}

HRESULT CSealwingAddinCom::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return DispGetIDsOfNames(typeInfo_.Get(), names, count, ids);
}

HRESULT CSealwingAddinCom::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                  EXCEPINFO* exception, UINT* argumentError) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return DispInvoke(static_cast<IRibbonCallback*>(this), typeInfo_.Get(), id, flags, parameters, result, exception,
                      argumentError);
}

HRESULT CSealwingAddinCom::LoadImage(BSTR imageName, IPictureDisp** picture) {
    if (picture == nullptr) return E_POINTER;
    *picture = nullptr;
    return GuardComEntry([&] {
        const std::wstring_view name =
            imageName == nullptr ? std::wstring_view() : std::wstring_view(imageName, SysStringLen(imageName));
        diagnostics::LogScope scope(L"Loading " + std::wstring(name) + L" image", diagnostics::fixed::kLoadingImage);
        if (name != L"SealwingButtonImg") return S_OK;
        return LoadButtonPicture(picture);
    });
}

HRESULT CSealwingAddinCom::Sealwing(IDispatch* ribbonControl) { return RunRibbonCallback(L"Sealwing", ribbonControl); }

HRESULT CSealwingAddinCom::SealwingOptions(IDispatch* ribbonControl) {
    return RunRibbonCallback(L"SealwingOptions", ribbonControl);
}

HRESULT CSealwingAddinCom::SealwingAbout(IDispatch* ribbonControl) {
    return RunRibbonCallback(L"SealwingAbout", ribbonControl);
}

HRESULT CSealwingAddinCom::RunRibbonCallback(const wchar_t* name, IDispatch* ribbonControl) {
    return GuardComEntry([&] {
        const platform::WindowHandle window = RibbonControlWindow(ribbonControl);
        return addin_->InvokeRibbonCallback(name, window) ? S_OK : DISP_E_MEMBERNOTFOUND;
    });
}

// The ribbon object is not kept.
HRESULT CSealwingAddinCom::UIStartup(IDispatch*) { return S_OK; }

HRESULT CSealwingAddinCom::OnConnection(IDispatch* application, ext_ConnectMode connectMode, IDispatch*, SAFEARRAY**) {
    return GuardComEntry([&] {
        ComPtr<IDispatch> outlookApplication;
        if (application != nullptr) {
            application->QueryInterface(kIidOutlookApplication, reinterpret_cast<void**>(outlookApplication.Receive()));
        }
        // A host that is not Outlook arrives as no application: the portable add-in then stays unconnected.
        const outlook::Ref<outlook::Object> host = outlook::win32::WrapApplication(outlookApplication.Get());
        return static_cast<HRESULT>(addin_->OnConnection(host, static_cast<outlook::ConnectMode>(connectMode)));
    });
}

HRESULT CSealwingAddinCom::OnDisconnection(ext_DisconnectMode removeMode, SAFEARRAY**) {
    return GuardComEntry([&] {
        return static_cast<HRESULT>(addin_->OnDisconnection(static_cast<outlook::DisconnectMode>(removeMode)));
    });
}

HRESULT CSealwingAddinCom::OnAddInsUpdate(SAFEARRAY**) {
    return GuardComEntry([&] { return static_cast<HRESULT>(addin_->OnAddInsUpdate()); });
}

HRESULT CSealwingAddinCom::OnStartupComplete(SAFEARRAY**) {
    return GuardComEntry([&] { return static_cast<HRESULT>(addin_->OnStartupComplete()); });
}

HRESULT CSealwingAddinCom::OnBeginShutdown(SAFEARRAY**) {
    return GuardComEntry([&] { return static_cast<HRESULT>(addin_->OnBeginShutdown()); });
}

HRESULT CSealwingAddinCom::GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) {
    if (ribbonXml == nullptr) return E_POINTER;
    *ribbonXml = nullptr;
    return GuardComEntry([&] {
        const std::wstring_view id =
            ribbonId == nullptr ? std::wstring_view() : std::wstring_view(ribbonId, SysStringLen(ribbonId));
        int resource = 0;
        if (id == L"Microsoft.Outlook.Explorer") resource = kExplorerRibbonResource;
        if (id == L"Microsoft.Outlook.Mail.Compose") resource = kComposeRibbonResource;
        if (resource == 0) return S_OK;
        const std::optional<std::wstring> text = ResourceText(L"XML", resource);
        if (!text) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
        *ribbonXml = ScopedBstr(*text).Detach();
        return *ribbonXml != nullptr ? S_OK : E_OUTOFMEMORY;
    });
}

}  // namespace sealwing::win32
