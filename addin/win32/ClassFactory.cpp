#include "addin/win32/ClassFactory.h"

#include <memory>

#include "addin/win32/Module.h"
#include "addin/win32/SealwingAddinCom.h"

namespace sealwing::win32 {

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// The factory is owned by the module, not by its references.
ULONG ClassFactory::AddRef() { return 2; }
ULONG ClassFactory::Release() { return 1; }

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    CSealwingAddinCom* created = nullptr;
    HRESULT result = CSealwingAddinCom::Create(&created);
    if (FAILED(result)) return result;
    result = created->QueryInterface(iid, object);
    created->Release();  // the caller's reference, when the interface was found, keeps it alive
    return result;
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    if (lock) {
        LockModule();
    } else {
        UnlockModule();
    }
    return S_OK;
}

ClassFactory& TheClassFactory() {
    static std::unique_ptr<ClassFactory> factory;
    const std::lock_guard guard(ModuleMutex());
    if (factory == nullptr) factory = std::make_unique<ClassFactory>();
    return *factory;
}

}  // namespace sealwing::win32
