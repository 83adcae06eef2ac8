#include "reading/PreviewHost.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

using platform::kNoWindow;
using platform::Rect;
using platform::WindowHandle;

class PreviewHostTest : public ::testing::Test {
protected:
    PreviewHostTest() {
        frame_ = Windows().Create(kNoWindow, L"rctrl_renwnd32", L"Inbox", Rect{100, 50, 900, 650});
        pane_ = Windows().Create(frame_, L"rctrl_renwnd32", L"", Rect{400, 80, 880, 630});
    }

    sim::WindowTree& Windows() { return world_.Outlook().Windows(); }
    sim::RecordedBrowser& Control() { return world_.Outlook().Browser().Last(); }
    // The browser's rectangle in its target's client coordinates.
    Rect InTarget(const PreviewHost& host) {
        const Rect browser = Windows().WindowRect(host.BrowserWindow()).value_or(Rect{});
        const Rect target = Windows().WindowRect(host.Target()).value_or(Rect{});
        return Rect{browser.left - target.left, browser.top - target.top, browser.right - target.left,
                    browser.bottom - target.top};
    }

    testing::OutlookWorld world_{14, testing::LocalServiceUse::None};
    WindowHandle frame_ = kNoWindow;
    WindowHandle pane_ = kNoWindow;
};

TEST_F(PreviewHostTest, ThePreviewWindowIsTheFirstOfItsExactClassAndItsFrameOnOutlook2003) {
    const WindowHandle other = Windows().Create(pane_, L"Other", L"", Rect{});
    const WindowHandle body = Windows().Create(other, L"AfxWndW", L"", Rect{});
    Windows().Create(pane_, L"afxwndw", L"", Rect{});  // newer, so first in Z order, but of another class
    Windows().Create(body, L"AfxWndW", L"", Rect{});   // deeper than the first match

    for (const auto& [version, expected] : {std::pair{11, other}, std::pair{12, body}, std::pair{14, body}}) {
        PreviewHost host(version);
        EXPECT_EQ(host.FindPreviewWindow(L"AfxWndW", frame_), expected) << "Outlook " << version;
        EXPECT_EQ(host.FindPreviewWindow(L"AfxWnd", frame_), kNoWindow) << "Outlook " << version;
        EXPECT_EQ(host.FindPreviewWindow(L"rctrl_renwnd32", pane_), kNoWindow) << "Outlook " << version;  // not itself
    }
}

TEST_F(PreviewHostTest, AnOverlayCoversItsTargetShowsHidesAndDetaches) {
    PreviewHost host(14);
    EXPECT_FALSE(host.CreateOverlay(0x7FFF0000));  // no such window
    ASSERT_TRUE(host.CreateOverlay(pane_));
    EXPECT_TRUE(host.Attached());
    EXPECT_EQ(PreviewHost::ForTarget(pane_), &host);
    EXPECT_EQ(Windows().Parent(host.BrowserWindow()), pane_);
    EXPECT_EQ(InTarget(host), (Rect{0, 0, 480, 550}));
    EXPECT_EQ(Windows().Subclasses(pane_), 1u);
    ASSERT_NE(host.Browser(), nullptr);
    EXPECT_EQ(host.Browser()->Window(), host.BrowserWindow());
    Control().CompleteDocument();

    Windows().ShowWindow(host.BrowserWindow(), false);
    Windows().PlaceWindow(host.BrowserWindow(), Rect{5, 5, 10, 10});
    host.Show();
    EXPECT_TRUE(Windows().IsVisible(host.BrowserWindow()));
    EXPECT_EQ(InTarget(host), (Rect{0, 0, 480, 550}));  // over the client area

    host.Browser()->Navigate(L"https://example.com/page");
    host.Hide();
    EXPECT_FALSE(Windows().IsVisible(host.BrowserWindow()));
    EXPECT_EQ(Control().Navigations().back(), L"about:blank");

    const WindowHandle browserWindow = host.BrowserWindow();
    host.Detach();
    EXPECT_FALSE(host.Attached());
    EXPECT_EQ(host.Browser(), nullptr);
    EXPECT_EQ(host.BrowserWindow(), kNoWindow);
    EXPECT_FALSE(Windows().IsWindow(browserWindow));
    EXPECT_EQ(Windows().Subclasses(pane_), 0u);
    EXPECT_EQ(PreviewHost::ForTarget(pane_), nullptr);
    EXPECT_TRUE(Control().Released());
    host.Show();  // not attached: nothing to do
    host.Hide();
    host.Detach();

    ASSERT_TRUE(host.CreateOverlay(pane_));  // and again
    EXPECT_EQ(world_.Outlook().Browser().Count(), 2u);
    EXPECT_EQ(PreviewHost::ForTarget(pane_), &host);
}

TEST_F(PreviewHostTest, TheBrowserFollowsItsTargetsSizeAndAMoveWithoutASizeKeepsIt) {
    const WindowHandle otherPane = Windows().Create(frame_, L"rctrl_renwnd32", L"", Rect{0, 0, 300, 200});
    PreviewHost host(14);
    PreviewHost other(14);
    ASSERT_TRUE(host.CreateOverlay(pane_));
    ASSERT_TRUE(other.CreateOverlay(otherPane));

    Windows().Resize(pane_, 320, 240);
    EXPECT_EQ(InTarget(host), (Rect{0, 0, 320, 240}));
    EXPECT_EQ(InTarget(other), (Rect{0, 0, 300, 200}));  // each host follows its own target

    // A move alone: the position changes carry no size (SWP_NOSIZE), and the browser takes the move's position.
    Windows().MoveTo(pane_, 20, 30);
    EXPECT_EQ(InTarget(host), (Rect{20, 30, 340, 270}));

    Windows().Move(pane_, Rect{110, 60, 510, 360});  // both: to (10, 10) in the frame, 400 x 300
    EXPECT_EQ(InTarget(host), (Rect{10, 10, 410, 310}));
    EXPECT_EQ(InTarget(other), (Rect{0, 0, 300, 200}));
}

TEST_F(PreviewHostTest, ATargetThatIsDestroyedDetachesItsHost) {
    PreviewHost host(12);
    ASSERT_TRUE(host.CreateOverlay(pane_));
    const WindowHandle browserWindow = host.BrowserWindow();
    Windows().Destroy(frame_);  // the target goes with its frame
    EXPECT_FALSE(host.Attached());
    EXPECT_EQ(PreviewHost::ForTarget(pane_), nullptr);
    EXPECT_FALSE(Windows().IsWindow(browserWindow));
    EXPECT_TRUE(Control().Released());
    EXPECT_EQ(Windows().Count(), 0u);
}

}  // namespace
}  // namespace sealwing
