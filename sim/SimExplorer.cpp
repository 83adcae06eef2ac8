#include "sim/SimExplorer.h"

#include <utility>

#include "sim/SimCommandBars.h"
#include "sim/SimMailItem.h"
#include "sim/SimResults.h"
#include "sim/SimSelection.h"
#include "sim/WindowTree.h"

namespace sealwing::sim {
namespace {

constexpr int kOutlookBar = 1;
constexpr int kFolderList = 2;
constexpr int kNavigationPane = 4;
// The reading pane takes the frame's right part below the toolbars; its header shows sender and subject.
constexpr int kReadingPaneLeft = 520;
constexpr int kToolbarsHeight = 110;
constexpr int kStatusBarHeight = 24;
constexpr int kBorder = 4;
constexpr int kReadingPaneHeader = 96;

}  // namespace

SimExplorer::SimExplorer(std::weak_ptr<SimContext> context, std::wstring caption, platform::WindowHandle window)
    : SimObject(context),
      caption_(std::move(caption)),
      window_(window),
      commandBars_(SimCommandBars::ForExplorer(context)),
      events_(context, L"ExplorerEvents") {}

platform::WindowHandle SimExplorer::Window() {
    Enter(L"Explorer.GetWindow");
    return window_;
}

std::wstring SimExplorer::Caption() {
    Enter(L"Explorer.Caption");
    return caption_;
}

outlook::Ref<outlook::Selection> SimExplorer::Selection() {
    Enter(L"Explorer.Selection");
    return std::make_shared<SimSelection>(WeakContext(), selection_);
}

bool SimExplorer::IsPaneVisible(outlook::Pane pane) {
    Enter(L"Explorer.IsPaneVisible");
    switch (static_cast<int>(pane)) {
        case outlook::olPreview:
            return readingPaneShown_;
        case kOutlookBar:
        case kFolderList:
        case kNavigationPane:
            return true;
        default:
            throw outlook::ComError(outlook::hr::E_InvalidArg, result::kInvalidArgText);
    }
}

outlook::Ref<outlook::CommandBars> SimExplorer::CommandBars() {
    Enter(L"Explorer.CommandBars");
    return commandBars_;
}

outlook::ConnectionPoint<outlook::ExplorerEvents>& SimExplorer::Events() {
    Enter(L"Explorer.Events");
    return events_;
}

void SimExplorer::ShowReadingPane(bool shown) {
    if (shown == readingPaneShown_) return;
    auto context = Live();
    WindowTree& windows = context->Windows();
    readingPaneShown_ = shown;
    if (!shown) {
        const platform::WindowHandle container = readingPane_.container;
        readingPane_ = MessageBodyWindow{};
        windows.Destroy(container);
        return;
    }
    const auto frame = windows.WindowRect(window_);
    if (!frame) return;  // the frame is gone: nothing to show the pane in
    const platform::Rect area{frame->left + kReadingPaneLeft, frame->top + kToolbarsHeight, frame->right - kBorder,
                              frame->bottom - kStatusBarHeight};
    readingPane_ = MessageBodyWindow::Create(windows, context->MajorVersion(), window_, area, kReadingPaneHeader);
}

}  // namespace sealwing::sim
