#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>

// user32's window-property macros would rename olk::Account::GetProp and SetProp below, and in whatever includes
// this; the harness calls no window-property function.
#undef GetProp
#undef SetProp

#include "outlook/AccountManagement.h"

// The harness's Outlook registers the account-management service's class in its own process, as Outlook does, so the
// add-in's CoCreateInstance(CLSID_OlkAccountManager) finds it. The served manager, enumerator and accounts are COM
// objects over the simulation's (olk::CreateAccountManager in this process: the simulated Outlook's service, with
// its member gate); the add-in's IOlkAccountHelper reaches the simulation as a host-interface helper whose calls go
// back through COM. Strings and order arrays are allocated per call and must come back through FreeMemory.
namespace sealwing::sim::win32 {

// Registers the class object while it lives (CoRegisterClassObject, in-process, multiple use) on this apartment.
class ScopedAccountManagerClass {
public:
    ScopedAccountManagerClass();
    ~ScopedAccountManagerClass();
    ScopedAccountManagerClass(const ScopedAccountManagerClass&) = delete;
    ScopedAccountManagerClass& operator=(const ScopedAccountManagerClass&) = delete;

    // The registration's result.
    HRESULT Result() const { return result_; }

private:
    DWORD cookie_ = 0;
    HRESULT result_ = E_FAIL;
};

// Blocks the served objects handed out (strings, order arrays) and nobody has given back through FreeMemory yet.
std::size_t OutstandingAccountMemory();
// FreeMemory calls with a pointer the served objects never handed out (or handed out and took back already).
std::size_t ForeignAccountMemoryFrees();
// Served account-management objects not yet released by their last holder.
long LiveAccountObjects();
// Managers the class object has made (CoCreateInstance calls that reached the simulation's service).
std::size_t AccountManagersServed();

}  // namespace sealwing::sim::win32
