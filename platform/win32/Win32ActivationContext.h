#pragma once

#include "platform/win32/Win32Headers.h"

namespace sealwing::platform {

// Owns an activation context made from a module's RT_MANIFEST resource. A DLL's windows bind to the common controls
// of the process (version 5 in Outlook) unless its own common-controls 6 manifest is active while they are created;
// Win32DialogRunner activates this context around its dialogs.
class Win32ActivationContext {
public:
    Win32ActivationContext() = default;
    // From the manifest with resource id `resourceId` in `module` (2 is the one a DLL conventionally carries).
    // Valid() is false when that fails, and Error() says why.
    Win32ActivationContext(HMODULE module, WORD resourceId);
    ~Win32ActivationContext();
    Win32ActivationContext(Win32ActivationContext&& other) noexcept;
    Win32ActivationContext& operator=(Win32ActivationContext&& other) noexcept;
    Win32ActivationContext(const Win32ActivationContext&) = delete;
    Win32ActivationContext& operator=(const Win32ActivationContext&) = delete;

    bool Valid() const { return context_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return context_; }
    DWORD Error() const { return error_; }

private:
    void Release();

    HANDLE context_ = INVALID_HANDLE_VALUE;
    DWORD error_ = ERROR_SUCCESS;
};

}  // namespace sealwing::platform
