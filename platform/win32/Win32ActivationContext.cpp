#include "platform/win32/Win32ActivationContext.h"

#include <utility>

namespace sealwing::platform {

Win32ActivationContext::Win32ActivationContext(HMODULE module, WORD resourceId) {
    ACTCTXW request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.hModule = module;
    request.lpResourceName = MAKEINTRESOURCEW(resourceId);
    context_ = ::CreateActCtxW(&request);
    if (context_ == INVALID_HANDLE_VALUE) error_ = ::GetLastError();
}

Win32ActivationContext::~Win32ActivationContext() { Release(); }

Win32ActivationContext::Win32ActivationContext(Win32ActivationContext&& other) noexcept
    : context_(std::exchange(other.context_, INVALID_HANDLE_VALUE)), error_(other.error_) {}

Win32ActivationContext& Win32ActivationContext::operator=(Win32ActivationContext&& other) noexcept {
    if (this != &other) {
        Release();
        context_ = std::exchange(other.context_, INVALID_HANDLE_VALUE);
        error_ = other.error_;
    }
    return *this;
}

void Win32ActivationContext::Release() {
    if (context_ != INVALID_HANDLE_VALUE) ::ReleaseActCtx(context_);
    context_ = INVALID_HANDLE_VALUE;
}

}  // namespace sealwing::platform
