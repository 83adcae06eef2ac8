#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>

#include "platform/WindowSystem.h"

namespace sealwing::sim::win32 {

// Real top-level windows standing for the simulation's explorer and inspector frames, for an add-in that is the real
// DLL: it hands the handles it gets through IOleWindow to the system (a message box's owner, above all), which knows
// nothing of the simulation's handles. While an object of this class lives, the windows served on its thread are its
// windows, made on first use and hidden; otherwise they are the simulation's own handles, which the portable add-in
// compares with the simulation's. One per thread at a time.
//
// Given the simulation's window tree, a frame also gets real children standing for the simulated frame's children
// (the reading pane's and message body's windows, found by their class), of the same classes and at the same places;
// children the simulation made after the frame was first served are added each time the frame is asked for.
class FrameWindows {
public:
    FrameWindows();
    explicit FrameWindows(platform::WindowSystem& simulated);
    ~FrameWindows();
    FrameWindows(const FrameWindows&) = delete;
    FrameWindows& operator=(const FrameWindows&) = delete;

    // The real window for a simulated frame, or for a mirrored child. Throws ComError when the system cannot make one.
    HWND For(platform::WindowHandle simulated);
    // The real window standing for a simulated child, once its frame was served; nullptr otherwise.
    HWND MirrorOf(platform::WindowHandle simulated) const;

private:
    void MirrorChildren(platform::WindowHandle simulated, HWND real);

    platform::WindowSystem* simulated_ = nullptr;
    std::map<platform::WindowHandle, HWND> windows_;
    std::map<platform::WindowHandle, HWND> children_;
    std::set<std::wstring> childClasses_;
};

// The handle a served object gives for its frame: the real window of this thread's FrameWindows when there is one.
platform::WindowHandle ServedWindow(platform::WindowHandle simulated);

}  // namespace sealwing::sim::win32
