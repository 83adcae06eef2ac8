#pragma once

// The type library's generated declarations (IRibbonCallback, CLSID_CSealwingAddin, LIBID_SealwingLib).

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // a COM interface: released, never deleted through it
#include "SealwingLib_h.h"
#pragma GCC diagnostic pop
