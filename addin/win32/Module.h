#pragma once

#include <windows.h>

#include <mutex>
#include <string>

namespace sealwing::win32 {

// The DLL itself: its handle, its path, and the lock count that decides whether COM may unload it (live objects
// and IClassFactory::LockServer).
void SetModuleHandle(HMODULE module);
HMODULE ModuleHandle();
std::wstring ModulePath();
// The folder of the DLL with a trailing backslash.
std::wstring ModuleFolder();

void LockModule();
void UnlockModule();
long ModuleLockCount();
// Guards the module's one-time work (the class factory's creation).
std::mutex& ModuleMutex();

}  // namespace sealwing::win32
