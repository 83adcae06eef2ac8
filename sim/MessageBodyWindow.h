#pragma once

#include "platform/WindowSystem.h"

namespace sealwing::sim {

class WindowTree;

// The window a message's body shows in, inside a frame window (an explorer's reading pane, an item window's body):
// from Outlook 2007 on Word's view (class "_WwB") in a container ("AfxWndW"), on Outlook 2003 the HTML viewer
// ("Internet Explorer_Server") in its framing window ("AfxWndW").
struct MessageBodyWindow {
    platform::WindowHandle container = platform::kNoWindow;  // the frame's child; destroying it takes the body along
    platform::WindowHandle body = platform::kNoWindow;

    static constexpr const wchar_t* kContainerClass = L"AfxWndW";
    static constexpr const wchar_t* kWordBodyClass = L"_WwB";
    static constexpr const wchar_t* kHtmlBodyClass = L"Internet Explorer_Server";

    // Creates both windows under `frame`; `area` (screen coordinates) is the container's, and the body fills it
    // below a header `headerHeight` pixels tall.
    static MessageBodyWindow Create(WindowTree& windows, int majorVersion, platform::WindowHandle frame,
                                    platform::Rect area, int headerHeight);
    // The body's class on that version.
    static const wchar_t* BodyClass(int majorVersion);
};

}  // namespace sealwing::sim
