// Defines the identifiers the type library's generated header declares (IID_IRibbonCallback, CLSID_CSealwingAddin,
// LIBID_SealwingLib), once for the DLL. The system headers come first so only these are defined here.
#include <windows.h>
#include <initguid.h>
#include <oaidl.h>
#include <ocidl.h>

#include "addin/win32/RibbonCallback.h"
