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

}  // namespace
}  // namespace sealwing::sim
