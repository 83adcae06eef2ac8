#pragma once

#include <windows.h>

namespace sealwing::win32 {

// The DLL's registration entry points, in the order of their steps (the exports forward here).
HRESULT RegisterServer();
HRESULT UnregisterServer();
// "user" (any case) as the command line: the classes and the add-in entry go to the current user's hive.
HRESULT InstallServer(bool install, const wchar_t* commandLine);

}  // namespace sealwing::win32
