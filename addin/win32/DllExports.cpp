// The DLL's exported entry points (undecorated through Sealwing.def).

#include <windows.h>
#include <unknwn.h>

#include "addin/win32/ClassFactory.h"
#include "addin/win32/ComEntry.h"
#include "addin/win32/Module.h"
#include "addin/win32/Registration.h"
#include "addin/win32/RibbonCallback.h"

// Every export is an entry from Windows; those that run code which can throw (the class factory's first creation,
// the registrar scripts) pass the COM entry guard.
extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        sealwing::win32::SetModuleHandle(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT WINAPI DllCanUnloadNow() { return sealwing::win32::ModuleLockCount() == 0 ? S_OK : S_FALSE; }

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_CSealwingAddin)) return CLASS_E_CLASSNOTAVAILABLE;
    return sealwing::win32::GuardComEntry(
        [&] { return sealwing::win32::TheClassFactory().QueryInterface(iid, object); });
}

HRESULT WINAPI DllRegisterServer() { return sealwing::win32::GuardComEntry(&sealwing::win32::RegisterServer); }

HRESULT WINAPI DllUnregisterServer() { return sealwing::win32::GuardComEntry(&sealwing::win32::UnregisterServer); }

HRESULT WINAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    return sealwing::win32::GuardComEntry(
        [&] { return sealwing::win32::InstallServer(install != FALSE, commandLine); });
}

}  // extern "C"
