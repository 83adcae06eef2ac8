#pragma once

#include <windows.h>

#include <map>

#include "platform/WindowSystem.h"

namespace sealwing::sim::win32 {

// Real top-level windows standing for the simulation's explorer and inspector frames, for an add-in that is the real
// DLL: it hands the handles it gets through IOleWindow to the system (a message box's owner, above all), which knows
// nothing of the simulation's handles. While an object of this class lives, the windows served on its thread are its
// windows, made on first use and hidden; otherwise they are the simulation's own handles, which the portable add-in
// compares with the simulation's. One per thread at a time.
class FrameWindows {
public:
    FrameWindows();
    ~FrameWindows();
    FrameWindows(const FrameWindows&) = delete;
    FrameWindows& operator=(const FrameWindows&) = delete;

    // The real window for a simulated frame. Throws ComError when the system cannot make one.
    HWND For(platform::WindowHandle simulated);

private:
    std::map<platform::WindowHandle, HWND> windows_;
};

// The handle a served object gives for its frame: the real window of this thread's FrameWindows when there is one.
platform::WindowHandle ServedWindow(platform::WindowHandle simulated);

}  // namespace sealwing::sim::win32
