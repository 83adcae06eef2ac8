#include "platform/win32/Win32DialogMailbox.h"

namespace sealwing::platform {

void Win32DialogMailbox::Post(int message, std::intptr_t value) {
    // The lock spans the post so that Close cannot return between the check and the post.
    const std::lock_guard lock(mutex_);
    if (window_ == nullptr) return;
    ::PostMessageW(window_, kPostMessage, static_cast<WPARAM>(static_cast<unsigned int>(message)),
                   static_cast<LPARAM>(value));
}

void Win32DialogMailbox::Close() {
    const std::lock_guard lock(mutex_);
    window_ = nullptr;
}

bool Win32DialogMailbox::IsOpen() const {
    const std::lock_guard lock(mutex_);
    return window_ != nullptr;
}

}  // namespace sealwing::platform
