#include "addin/win32/TypeLibrary.h"

#include "addin/win32/Module.h"

namespace sealwing::win32 {

HRESULT LoadOwnTypeLib(ComPtr<ITypeLib>& typeLib, std::wstring& path) {
    path = ModulePath();
    HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, typeLib.Receive());
    if (SUCCEEDED(result)) return result;

    const std::size_t dot = path.find_last_of(L'.');
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring fallback =
        (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) ? path.substr(0, dot) : path;
    fallback += L".tlb";
    const HRESULT second = LoadTypeLibEx(fallback.c_str(), REGKIND_NONE, typeLib.Receive());
    if (FAILED(second)) return result;
    path = fallback;
    return second;
}

}  // namespace sealwing::win32
