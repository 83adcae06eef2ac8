#pragma once

#include "platform/win32/Win32Headers.h"

#include <cstdint>
#include <mutex>

#include "platform/Dialog.h"

namespace sealwing::platform {

// A running dialog's mailbox on Windows: each post is a private message posted to the dialog's window, so it reaches
// the dialog on its own thread, in order, through the modal loop. Workers may hold it past the dialog's end: once
// closed it posts nothing, so no post can reach a window that is gone, or another window that got its handle.
class Win32DialogMailbox final : public DialogMailbox {
public:
    // The message a post arrives as: the post's message in wParam, its value in lParam.
    static constexpr UINT kPostMessage = WM_APP + 1;

    explicit Win32DialogMailbox(HWND window) : window_(window) {}

    // Any thread. Dropped once closed, and when the window's queue is full (10,000 posts the dialog has not taken).
    void Post(int message, std::intptr_t value) override;
    // The dialog's end; returns once no Post can touch the window any more.
    void Close();
    bool IsOpen() const;

private:
    mutable std::mutex mutex_;
    HWND window_;
};

}  // namespace sealwing::platform
