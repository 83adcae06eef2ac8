#pragma once

#include <windows.h>
#include <unknwn.h>

// user32's window-property macros would rename olk::Account::GetProp and SetProp below, and in whatever includes
// this; the adapters call no window-property function.
#undef GetProp
#undef SetProp

#include "outlook/AccountManagement.h"

struct IOlkAccountHelper;

// Outlook's account-management service for the DLL: the host interface over IOlkAccountManager and its enumerator
// and accounts, and the add-in's helper handed to the service as IOlkAccountHelper. UI thread only.
namespace sealwing::outlook::win32 {

// The host interface over a manager the caller created (one reference added); nothing for a null one.
Ref<olk::AccountManager> WrapAccountManager(IUnknown* manager);

// CoCreateInstance of CLSID_OlkAccountManager, in-process, for IID_IOlkAccountManager: the creator the DLL installs
// while it is loaded by Outlook (see olk::ScopedAccountManagerCreator).
HResult CreateComAccountManager(Ref<olk::AccountManager>& manager);

// The helper as a COM object: AddRef, Release and QueryInterface go to the helper's own reference count (the COM
// object lives as long as references taken through it), GetMapiSession hands out the MAPI session behind the
// helper's session. Starts with one reference, taken on the helper, which the caller releases.
IOlkAccountHelper* NewComAccountHelper(olk::AccountHelper& helper);

}  // namespace sealwing::outlook::win32
