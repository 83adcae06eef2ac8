#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "outlook/win32/dispatch/ComTypes.h"

// How the harness reaches the add-in: as Outlook does, through the add-in interface of the class it created.
namespace sealwing::sim::win32 {

// The add-in designer's interface (AddInDesignerObjects._IDTExtensibility2), declared here as a client sees it.
// clang-format off
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // a COM interface: released, never deleted
MIDL_INTERFACE("B65AD801-ABAF-11D0-BB8B-00A0C90F2744")
IDTExtensibility2 : public IDispatch {
public:
    virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, int connectMode, IDispatch* addInInst,
                                                   SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDisconnection(int removeMode, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};
#pragma GCC diagnostic pop
// clang-format on

inline constexpr const wchar_t* kAddinClsid = L"{D5CCAD9E-B3AB-402C-B633-78A9489DCA1B}";
inline constexpr const wchar_t* kExtensibilityIid = L"{B65AD801-ABAF-11D0-BB8B-00A0C90F2744}";

// The add-in object: from its registered class (CoCreateInstance), or, with a DLL path, from that DLL's
// DllGetClassObject (Wine's COM does not find per-user classes). On failure: empty, and `failure` says why.
sealwing::win32::ComPtr<IDTExtensibility2> CreateAddin(const std::wstring& dllPath, std::wstring& failure);

}  // namespace sealwing::sim::win32
