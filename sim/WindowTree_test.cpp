#include "sim/WindowTree.h"

#include <gtest/gtest.h>

namespace sealwing::sim {
namespace {

using platform::kNoWindow;
using platform::Rect;
using platform::WindowHandle;
using Handles = std::vector<WindowHandle>;

TEST(WindowTree, TreeQueriesFollowCreationAndDestruction) {
    WindowTree tree;
    const WindowHandle main = tree.Create(kNoWindow, L"rctrl_renwnd32", L"Inbox", Rect{0, 0, 800, 600});
    const WindowHandle pane = tree.Create(main, L"Pane", L"", Rect{10, 10, 400, 600});
    const WindowHandle body = tree.Create(main, L"_WwG", L"body", Rect{400, 10, 800, 600});
    const WindowHandle inner = tree.Create(pane, L"Internet Explorer_Server", L"", Rect{12, 12, 398, 598});

    EXPECT_EQ(tree.TopLevelWindows(), Handles{main});
    EXPECT_EQ(tree.Children(main), (Handles{body, pane}));  // the newest sibling on top
    EXPECT_EQ(tree.Parent(inner), pane);
    EXPECT_EQ(tree.Parent(main), kNoWindow);
    EXPECT_EQ(tree.ClassName(body), L"_WwG");
    EXPECT_EQ(tree.Title(main), L"Inbox");
    EXPECT_EQ(tree.WindowRect(pane), (Rect{10, 10, 400, 600}));
    EXPECT_EQ(tree.FindByClass(L"_WwG"), Handles{body});

    tree.SetTitle(main, L"Sent Items");
    tree.Move(body, Rect{1, 2, 3, 4});
    EXPECT_EQ(tree.Title(main), L"Sent Items");
    EXPECT_EQ(tree.WindowRect(body), (Rect{1, 2, 3, 4}));

    tree.Destroy(pane);  // with its child
    EXPECT_FALSE(tree.IsWindow(pane));
    EXPECT_FALSE(tree.IsWindow(inner));
    EXPECT_EQ(tree.Children(main), Handles{body});
    EXPECT_EQ(tree.Count(), 2u);
    EXPECT_EQ(tree.ClassName(inner), L"");
    EXPECT_EQ(tree.Title(inner), L"");
    EXPECT_EQ(tree.WindowRect(inner), std::nullopt);
    EXPECT_EQ(tree.Parent(inner), kNoWindow);
    EXPECT_TRUE(tree.Children(inner).empty());

    const WindowHandle later = tree.Create(main, L"Pane", L"", Rect{});
    EXPECT_NE(later, pane);
    EXPECT_NE(later, inner);
    EXPECT_EQ(tree.Create(pane, L"Orphan", L"", Rect{}), kNoWindow);
}

TEST(WindowTree, ForegroundIsATopLevelWindowAndPassesOnWhenItDies) {
    WindowTree tree;
    const WindowHandle first = tree.Create(kNoWindow, L"rctrl_renwnd32", L"one", Rect{});
    const WindowHandle second = tree.Create(kNoWindow, L"rctrl_renwnd32", L"two", Rect{});
    const WindowHandle child = tree.Create(first, L"Child", L"", Rect{});
    EXPECT_EQ(tree.Foreground(), kNoWindow);
    EXPECT_EQ(tree.TopLevelWindows(), (Handles{second, first}));

    tree.SetForeground(child);
    EXPECT_EQ(tree.Foreground(), first);
    EXPECT_EQ(tree.TopLevelWindows(), (Handles{first, second}));

    tree.Destroy(first);
    EXPECT_EQ(tree.Foreground(), second);
    tree.Destroy(second);
    EXPECT_EQ(tree.Foreground(), kNoWindow);
    EXPECT_TRUE(tree.TopLevelWindows().empty());
}

struct Told {
    WindowHandle window;
    platform::WindowNotification notification;
    bool operator==(const Told&) const = default;
};
std::vector<Told> g_told;
void Record(WindowHandle window, const platform::WindowNotification& notification) {
    g_told.push_back({window, notification});
}

TEST(WindowTree, ChildWindowsMoveWithTheirParentAndSubclassesHearEveryChange) {
    using Kind = platform::WindowNotification::Kind;
    using N = platform::WindowNotification;
    WindowTree tree;
    const WindowHandle main = tree.Create(kNoWindow, L"rctrl_renwnd32", L"Inbox", Rect{100, 100, 900, 700});
    const WindowHandle pane = tree.CreateChildWindow(main, Rect{10, 20, 310, 220});
    const WindowHandle inner = tree.CreateChildWindow(pane, Rect{0, 0, 50, 50});
    EXPECT_EQ(tree.ClassName(pane), WindowTree::kChildWindowClass);
    EXPECT_EQ(tree.WindowRect(pane), (Rect{110, 120, 410, 320}));
    EXPECT_EQ(tree.ClientRect(pane), (Rect{0, 0, 300, 200}));
    EXPECT_TRUE(tree.IsVisible(pane));
    tree.ShowWindow(pane, false);
    EXPECT_FALSE(tree.IsVisible(pane));
    EXPECT_EQ(tree.CreateChildWindow(0x7FFF0000, Rect{}), kNoWindow);

    ASSERT_TRUE(tree.Subclass(pane, &Record));
    EXPECT_FALSE(tree.Subclass(pane, &Record));
    ASSERT_TRUE(tree.Subclass(inner, &Record));
    g_told.clear();
    tree.MoveTo(pane, 30, 40);  // the size stays: the position changes carry none
    EXPECT_EQ(g_told, (std::vector<Told>{{pane, N{.kind = Kind::PositionChanging}},
                                         {pane, N{.kind = Kind::PositionChanged}},
                                         {pane, N{.kind = Kind::Move, .x = 30, .y = 40}}}));
    EXPECT_EQ(tree.WindowRect(pane), (Rect{130, 140, 430, 340}));
    EXPECT_EQ(tree.WindowRect(inner), (Rect{130, 140, 180, 190}));  // along with its parent

    g_told.clear();
    tree.Resize(pane, 200, 100);
    EXPECT_EQ(g_told, (std::vector<Told>{{pane, N{Kind::PositionChanging, 0, 0, 200, 100, true}},
                                         {pane, N{Kind::PositionChanged, 0, 0, 200, 100, true}},
                                         {pane, N{.kind = Kind::Size, .width = 200, .height = 100}}}));
    EXPECT_EQ(tree.WindowRect(pane), (Rect{130, 140, 330, 240}));

    tree.RemoveSubclass(pane, &Record);
    g_told.clear();
    tree.Move(pane, Rect{0, 0, 10, 10});
    EXPECT_TRUE(g_told.empty());

    // Destruction tells each window, the parent first, while it still exists.
    ASSERT_TRUE(tree.Subclass(pane, &Record));
    g_told.clear();
    tree.Destroy(main);
    EXPECT_EQ(g_told, (std::vector<Told>{{pane, N{.kind = Kind::Destroy}}, {inner, N{.kind = Kind::Destroy}}}));
    EXPECT_EQ(tree.Count(), 0u);
}

}  // namespace
}  // namespace sealwing::sim
