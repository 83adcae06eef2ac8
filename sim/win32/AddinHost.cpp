#include "sim/win32/AddinHost.h"

#include "outlook/win32/dispatch/ComErrorFrom.h"

namespace sealwing::sim::win32 {
namespace {

using sealwing::win32::ComPtr;

std::wstring Failure(const wchar_t* step, HRESULT code) {
    wchar_t hex[16];
    swprintf(hex, 16, L"0x%08lX", static_cast<unsigned long>(code));
    return std::wstring(step) + L" failed: " + hex + L" " + outlook::win32::SystemMessage(code);
}

}  // namespace

ComPtr<IDTExtensibility2> CreateAddin(const std::wstring& dllPath, std::wstring& failure) {
    CLSID clsid{};
    IID iid{};
    sealwing::win32::GuidFromString(kAddinClsid, clsid);
    sealwing::win32::GuidFromString(kExtensibilityIid, iid);
    ComPtr<IUnknown> object;
    if (dllPath.empty()) {
        const HRESULT result = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                                reinterpret_cast<void**>(object.Receive()));
        if (FAILED(result)) {
            failure = Failure(L"CoCreateInstance", result);
            return {};
        }
    } else {
        // Kept loaded for the life of the process, as Outlook keeps its add-ins.
        const HMODULE module = LoadLibraryW(dllPath.c_str());
        if (module == nullptr) {
            failure = Failure(L"LoadLibrary", HRESULT_FROM_WIN32(GetLastError()));
            return {};
        }
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        const auto entry =
            reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
        if (entry == nullptr) {
            failure = L"The DLL does not export DllGetClassObject";
            return {};
        }
        ComPtr<IClassFactory> factory;
        HRESULT result = entry(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Receive()));
        if (FAILED(result)) {
            failure = Failure(L"DllGetClassObject", result);
            return {};
        }
        result = factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(object.Receive()));
        if (FAILED(result)) {
            failure = Failure(L"IClassFactory::CreateInstance", result);
            return {};
        }
    }
    ComPtr<IDTExtensibility2> addin;
    const HRESULT result = object->QueryInterface(iid, reinterpret_cast<void**>(addin.Receive()));
    if (FAILED(result)) failure = Failure(L"QueryInterface(_IDTExtensibility2)", result);
    return addin;
}

}  // namespace sealwing::sim::win32
