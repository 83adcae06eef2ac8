#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "outlook/ComError.h"

namespace sealwing::outlook::win32 {

// The error of a failed call: the description the server gave in EXCEPINFO (a DISP_E_EXCEPTION), else the thread's
// IErrorInfo, else the system's message for the code. Takes over (and frees) the EXCEPINFO's strings.
ComError ComErrorFrom(HRESULT code, EXCEPINFO* exception = nullptr);

// The system's message for a code, without the trailing line break; empty when the system has none.
std::wstring SystemMessage(HRESULT code);

}  // namespace sealwing::outlook::win32
