#include "platform/win32/Win32Browser.h"

#include "platform/win32/Win32Headers.h"
#include <exdisp.h>
#include <gtest/gtest.h>
#include <ole2.h>

#include <cstdio>
#include <string>

#include "platform/win32/Win32WindowSystem.h"

namespace sealwing::platform {
namespace {

class NoEvents final : public BrowserEvents {
public:
    void DocumentComplete(const std::wstring&) override { ++completed; }
    int completed = 0;
};

// The web-browser control in a child window of a hidden top-level window, under Xvfb. Wine has no HTML engine here,
// so no document ever loads: the tests prove the hosting, the activation, the event connection and what the control
// is asked, not a page.
class Win32BrowserTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    static void TearDownTestSuite() { ::OleUninitialize(); }

    void SetUp() override {
        top_ = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"Browser host", WS_POPUP, 0, 0, 640, 480, nullptr,
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(top_, nullptr);
        host_ = windows_.CreateChildWindow(reinterpret_cast<WindowHandle>(top_), Rect{0, 0, 400, 300});
        ASSERT_NE(host_, kNoWindow);
    }
    void TearDown() override {
        if (top_ != nullptr) ::DestroyWindow(top_);
    }

    // The windows the control made for itself inside the host.
    std::vector<WindowHandle> ControlWindows() { return windows_.Children(host_); }
    static void Pump() {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }

    Win32WindowSystem windows_;
    Win32Browser browser_;
    HWND top_ = nullptr;
    WindowHandle host_ = kNoWindow;
};

TEST_F(Win32BrowserTest, TheControlIsActivatedInPlaceInsideItsWindowAndFollowsItsSize) {
    std::unique_ptr<BrowserControl> control = browser_.CreateControl(host_);
    ASSERT_NE(control, nullptr) << "the web-browser control could not be created";
    auto& hosted = static_cast<Win32BrowserControl&>(*control);
    ASSERT_NE(hosted.WebBrowser(), nullptr);

    const std::vector<WindowHandle> own = ControlWindows();
    ASSERT_EQ(own.size(), 1u) << "the control has no window of its own inside ours";
    EXPECT_EQ(windows_.ClientRect(own.front()), (Rect{0, 0, 400, 300}));
    std::printf("the control's own window: class \"%ls\"\n", windows_.ClassName(own.front()).c_str());

    windows_.ResizeWindow(host_, 320, 200);
    Pump();
    EXPECT_EQ(windows_.ClientRect(own.front()), (Rect{0, 0, 320, 200}));

    // The window's destruction closes the control; releasing it afterwards is safe.
    windows_.DestroyWindow(host_);
    EXPECT_FALSE(windows_.IsWindow(own.front()));
    EXPECT_EQ(hosted.WebBrowser(), nullptr);
    EXPECT_FALSE(control->Navigate(L"about:blank"));
    EXPECT_FALSE(control->HasHtmlDocument());
    control.reset();
}

TEST_F(Win32BrowserTest, TheControlNavigatesWhereItIsToldAndConnectsItsEventsOnce) {
    std::unique_ptr<BrowserControl> control = browser_.CreateControl(host_);
    ASSERT_NE(control, nullptr) << "the web-browser control could not be created";
    auto& hosted = static_cast<Win32BrowserControl&>(*control);

    NoEvents events;
    const std::uint32_t cookie = control->ConnectEvents(events);
    EXPECT_NE(cookie, BrowserControl::kNotConnected);
    EXPECT_EQ(control->ConnectEvents(events), BrowserControl::kNotConnected);  // one connection at a time

    EXPECT_TRUE(control->Navigate(L"about:blank"));
    Pump();
    BSTR location = nullptr;
    ASSERT_EQ(hosted.WebBrowser()->get_LocationURL(&location), S_OK);
    const std::wstring asked = location == nullptr ? L"" : location;
    ::SysFreeString(location);
    EXPECT_EQ(asked, L"about:blank");

    // Without an HTML engine there is no HTML document: nothing is written, and no document completes.
    if (!control->HasHtmlDocument()) {
        EXPECT_FALSE(control->WriteHtml(L"<p>lost</p>"));
        EXPECT_EQ(events.completed, 0);
    }

    control->DisconnectEvents(cookie);
    EXPECT_NE(control->ConnectEvents(events), BrowserControl::kNotConnected);  // free again
    EXPECT_EQ(browser_.CreateControl(kNoWindow), nullptr);
}

}  // namespace
}  // namespace sealwing::platform
