#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "outlook/win32/dispatch/ComTypes.h"

namespace sealwing::win32 {

// The type library embedded in the DLL (resource TYPELIB 1); when it cannot be loaded from the DLL, the same path
// with the extension ".tlb" is tried. `path` receives the path it was loaded from.
HRESULT LoadOwnTypeLib(ComPtr<ITypeLib>& typeLib, std::wstring& path);

}  // namespace sealwing::win32
