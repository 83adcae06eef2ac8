#pragma once

#include <windows.h>

#include "platform/EntryGuard.h"

namespace sealwing::win32 {

// A COM method or an exported entry point is an entry from Outlook or Windows: what its work throws is reported
// (platform::GuardEntry) and the caller sees E_UNEXPECTED; an HRESULT the work returns, success or failure, reaches
// the caller as it is.
template <class Call>
HRESULT GuardComEntry(Call&& call) noexcept {
    HRESULT result = E_UNEXPECTED;
    platform::GuardEntry([&] { result = call(); });
    return result;
}

}  // namespace sealwing::win32
