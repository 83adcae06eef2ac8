#include "platform/win32/Win32WindowSystem.h"

#include "platform/win32/Win32Headers.h"
#include <gtest/gtest.h>

#include <algorithm>

namespace sealwing::platform {
namespace {

WindowHandle Handle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

constexpr wchar_t kClassName[] = L"SealwingTestWindow";

// Hidden windows under Xvfb: Wine makes child windows only with a display, message-only ones included.
class Win32WindowSystemTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        ::RegisterClassExW(&windowClass);
    }

    static HWND TopLevel(const wchar_t* title) {
        return ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    }

    void SetUp() override {
        parent_ = ::CreateWindowExW(0, kClassName, L"Parent title", WS_POPUP, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(parent_, nullptr);
        first_ = ::CreateWindowExW(0, L"STATIC", L"First", WS_CHILD, 0, 0, 5, 5, parent_, nullptr, nullptr, nullptr);
        second_ = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 5, 5, parent_, nullptr, nullptr, nullptr);
        ASSERT_NE(first_, nullptr);
        ASSERT_NE(second_, nullptr);
        grandchild_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 1, 1, first_, nullptr, nullptr, nullptr);
        ASSERT_NE(grandchild_, nullptr);
    }
    void TearDown() override {
        if (parent_ != nullptr) ::DestroyWindow(parent_);
    }

    Win32WindowSystem windows_;
    HWND parent_ = nullptr;
    HWND first_ = nullptr;
    HWND second_ = nullptr;
    HWND grandchild_ = nullptr;
};

TEST_F(Win32WindowSystemTest, ChildrenAreTheDirectOnesAndKnowTheirParent) {
    auto children = windows_.Children(Handle(parent_));
    std::sort(children.begin(), children.end());
    std::vector<WindowHandle> expected{Handle(first_), Handle(second_)};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(children, expected);
    EXPECT_EQ(windows_.Children(Handle(first_)), std::vector<WindowHandle>{Handle(grandchild_)});
    EXPECT_TRUE(windows_.Children(Handle(second_)).empty());
    EXPECT_EQ(windows_.Parent(Handle(first_)), Handle(parent_));
    EXPECT_EQ(windows_.Parent(Handle(grandchild_)), Handle(first_));
    EXPECT_EQ(windows_.Parent(kNoWindow), kNoWindow);
}

TEST_F(Win32WindowSystemTest, NamesTitlesAndRectanglesComeFromTheWindow) {
    EXPECT_EQ(windows_.ClassName(Handle(parent_)), L"SealwingTestWindow");
    const std::wstring button = windows_.ClassName(Handle(second_));
    EXPECT_EQ(::lstrcmpiW(button.c_str(), L"Button"), 0);  // system classes differ in case between versions
    EXPECT_EQ(windows_.Title(Handle(parent_)), L"Parent title");
    EXPECT_EQ(windows_.Title(Handle(second_)), L"");
    const auto rect = windows_.WindowRect(Handle(parent_));
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(rect->right - rect->left, 10);
    EXPECT_EQ(rect->bottom - rect->top, 10);

    EXPECT_TRUE(windows_.IsWindow(Handle(first_)));
    ::DestroyWindow(parent_);
    const WindowHandle gone = Handle(parent_);
    parent_ = nullptr;
    EXPECT_FALSE(windows_.IsWindow(gone));
    EXPECT_FALSE(windows_.IsWindow(Handle(first_)));  // children go with their parent
    EXPECT_FALSE(windows_.IsWindow(kNoWindow));
    EXPECT_EQ(windows_.WindowRect(gone), std::nullopt);
    EXPECT_EQ(windows_.Title(gone), L"");
    EXPECT_EQ(windows_.ClassName(gone), L"");
    EXPECT_TRUE(windows_.Children(gone).empty());
}

TEST_F(Win32WindowSystemTest, TopLevelWindowsComeInZOrderWithoutMessageOnlyOnes) {
    HWND lower = TopLevel(L"lower");
    HWND upper = TopLevel(L"upper");
    ASSERT_NE(lower, nullptr);
    ASSERT_NE(upper, nullptr);
    ASSERT_TRUE(::SetWindowPos(upper, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
    const auto topLevel = windows_.TopLevelWindows();
    const auto upperAt = std::find(topLevel.begin(), topLevel.end(), Handle(upper));
    const auto lowerAt = std::find(topLevel.begin(), topLevel.end(), Handle(lower));
    ASSERT_NE(upperAt, topLevel.end());
    ASSERT_NE(lowerAt, topLevel.end());
    EXPECT_LT(upperAt, lowerAt);
    EXPECT_EQ(std::find(topLevel.begin(), topLevel.end(), Handle(parent_)), topLevel.end());
    EXPECT_EQ(windows_.Parent(Handle(upper)), kNoWindow);  // the desktop is no parent

    ASSERT_TRUE(::SetWindowPos(lower, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
    const auto reordered = windows_.TopLevelWindows();
    EXPECT_LT(std::find(reordered.begin(), reordered.end(), Handle(lower)),
              std::find(reordered.begin(), reordered.end(), Handle(upper)));
    ::DestroyWindow(lower);
    ::DestroyWindow(upper);
}

std::vector<WindowNotification> g_told;
void Record(WindowHandle, const WindowNotification& notification) { g_told.push_back(notification); }
void Other(WindowHandle, const WindowNotification&) {}

TEST_F(Win32WindowSystemTest, AChildWindowIsPlacedShownAndItsSubclassHearsWhatChanges) {
    using Kind = WindowNotification::Kind;
    const WindowHandle child = windows_.CreateChildWindow(Handle(parent_), Rect{2, 3, 7, 9});
    ASSERT_NE(child, kNoWindow);
    EXPECT_EQ(windows_.ClassName(child), L"SealwingChildWindow");
    EXPECT_EQ(windows_.Parent(child), Handle(parent_));
    EXPECT_EQ(::GetWindowLongW(reinterpret_cast<HWND>(child), GWL_STYLE) & 0xFFFF0000, 0x56000000);
    EXPECT_EQ(windows_.ClientRect(child), (Rect{0, 0, 5, 6}));
    EXPECT_EQ(windows_.CreateChildWindow(kNoWindow + 1, Rect{}), kNoWindow);

    ASSERT_TRUE(windows_.Subclass(child, &Record));
    EXPECT_FALSE(windows_.Subclass(child, &Record));  // once per procedure
    EXPECT_TRUE(windows_.Subclass(child, &Other));
    g_told.clear();
    windows_.MoveWindowTo(child, 4, 5);
    ASSERT_FALSE(g_told.empty());
    EXPECT_EQ(g_told.front(), (WindowNotification{.kind = Kind::PositionChanging, .carriesSize = false}));
    EXPECT_NE(std::find(g_told.begin(), g_told.end(), WindowNotification{.kind = Kind::Move, .x = 4, .y = 5}),
              g_told.end());

    g_told.clear();
    windows_.ResizeWindow(child, 30, 20);
    EXPECT_EQ(g_told.front(),
              (WindowNotification{.kind = Kind::PositionChanging, .width = 30, .height = 20, .carriesSize = true}));
    EXPECT_NE(
        std::find(g_told.begin(), g_told.end(), WindowNotification{.kind = Kind::Size, .width = 30, .height = 20}),
        g_told.end());
    windows_.PlaceWindow(child, Rect{1, 1, 11, 11});
    EXPECT_EQ(windows_.ClientRect(child), (Rect{0, 0, 10, 10}));

    windows_.ShowWindow(child, false);
    EXPECT_EQ(::GetWindowLongW(reinterpret_cast<HWND>(child), GWL_STYLE) & WS_VISIBLE, 0);
    windows_.ShowWindow(child, true);
    EXPECT_NE(::GetWindowLongW(reinterpret_cast<HWND>(child), GWL_STYLE) & WS_VISIBLE, 0);

    windows_.RemoveSubclass(child, &Other);
    g_told.clear();
    windows_.DestroyWindow(child);
    EXPECT_EQ(g_told, std::vector<WindowNotification>{WindowNotification{.kind = Kind::Destroy}});
    EXPECT_FALSE(windows_.IsWindow(child));

    // A removed subclass hears nothing more.
    const WindowHandle second = windows_.CreateChildWindow(Handle(parent_), Rect{0, 0, 5, 5});
    ASSERT_TRUE(windows_.Subclass(second, &Record));
    windows_.RemoveSubclass(second, &Record);
    g_told.clear();
    windows_.ResizeWindow(second, 8, 8);
    EXPECT_TRUE(g_told.empty());
}

}  // namespace
}  // namespace sealwing::platform
