#pragma once

#include <windows.h>
#include <unknwn.h>

namespace sealwing::win32 {

#pragma GCC diagnostic push
// COM objects are destroyed by Release, never deleted through an interface.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// The one class factory of the DLL (it makes CSealwingAddinCom). It lives as long as the module and does not count
// towards the lock count itself; LockServer does.
class ClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

// Created once, under the module's lock, on the first request.
ClassFactory& TheClassFactory();

#pragma GCC diagnostic pop

}  // namespace sealwing::win32
