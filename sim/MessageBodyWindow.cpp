#include "sim/MessageBodyWindow.h"

#include "sim/WindowTree.h"

namespace sealwing::sim {

namespace {
constexpr int kFirstVersionWithWordViews = 12;
}

MessageBodyWindow MessageBodyWindow::Create(WindowTree& windows, int majorVersion, platform::WindowHandle frame,
                                            platform::Rect area, int headerHeight) {
    MessageBodyWindow created;
    created.container = windows.Create(frame, kContainerClass, L"", area);
    const platform::Rect body{area.left, area.top + headerHeight, area.right, area.bottom};
    created.body = windows.Create(created.container, BodyClass(majorVersion), L"", body);
    return created;
}

const wchar_t* MessageBodyWindow::BodyClass(int majorVersion) {
    return majorVersion >= kFirstVersionWithWordViews ? kWordBodyClass : kHtmlBodyClass;
}

}  // namespace sealwing::sim
