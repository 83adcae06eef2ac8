#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include <atomic>
#include <memory>

#include "addin/SealwingAddin.h"
#include "addin/win32/OfficeInterfaces.h"
#include "addin/win32/RibbonCallback.h"
#include "outlook/win32/dispatch/ComTypes.h"
#include "platform/WindowSystem.h"

namespace sealwing::win32 {

#pragma GCC diagnostic push
// COM objects are destroyed by Release, never deleted through an interface.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// The COM object Outlook creates: a thin shell around the portable add-in. Its IDispatch is the ribbon callback
// interface, served from the type library embedded in the DLL, because Office calls the ribbon's methods by name.
class CSealwingAddinCom final : public IRibbonCallback, public _IDTExtensibility2, public IRibbonExtensibility {
public:
    // The object starts with one reference, owned by the caller; the module stays locked while it lives.
    static HRESULT Create(CSealwingAddinCom** created);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch (all three interfaces share it)
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // IRibbonCallback
    HRESULT STDMETHODCALLTYPE LoadImage(BSTR imageName, IPictureDisp** picture) override;
    HRESULT STDMETHODCALLTYPE Sealwing(IDispatch* ribbonControl) override;
    HRESULT STDMETHODCALLTYPE SealwingOptions(IDispatch* ribbonControl) override;
    HRESULT STDMETHODCALLTYPE UIStartup(IDispatch* ribbonControl) override;
    HRESULT STDMETHODCALLTYPE SealwingAbout(IDispatch* ribbonControl) override;

    // _IDTExtensibility2
    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode connectMode, IDispatch* addInInst,
                                           SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode removeMode, SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override;

    // IRibbonExtensibility
    HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) override;

private:
    explicit CSealwingAddinCom(ComPtr<ITypeInfo> typeInfo);
    // Hands a ribbon callback to the add-in, with the window of the control's context.
    HRESULT RunRibbonCallback(const wchar_t* name, IDispatch* ribbonControl);
    ~CSealwingAddinCom();
    CSealwingAddinCom(const CSealwingAddinCom&) = delete;
    CSealwingAddinCom& operator=(const CSealwingAddinCom&) = delete;

    std::atomic<ULONG> references_{1};
    ComPtr<ITypeInfo> typeInfo_;
    std::unique_ptr<CSealwingAddin> addin_;
};

// The window a ribbon control sits in: its IRibbonControl's Context, through IOleWindow; platform::kNoWindow for no
// control, or when a step fails.
platform::WindowHandle RibbonControlWindow(IDispatch* ribbonControl);

// The type information of IRibbonCallback from the DLL's own type library (with the ".tlb" fallback).
HRESULT LoadRibbonCallbackTypeInfo(ComPtr<ITypeInfo>& typeInfo);

#pragma GCC diagnostic pop

}  // namespace sealwing::win32
