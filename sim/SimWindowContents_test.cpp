// What main windows and item windows hold: the selection, the reading pane, the message body window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/SimExplorer.h"
#include "sim/SimInspector.h"
#include "sim/SimMailItem.h"
#include "sim/SimOutlook.h"
#include "sim/SimTestSupport.h"

namespace sealwing::sim {
namespace {

using outlook::Ref;
using testing::CodeOf;
using testing::WindowRecorder;

SimOptions Version(int major) {
    SimOptions options;
    options.majorVersion = major;
    return options;
}

class SimWindowContentsTest : public ::testing::Test {
protected:
    platform::ManualClock clock_;
    SimOutlook sim_{SimOptions{}, clock_};
    Ref<SimExplorer> explorer_ = sim_.OpenExplorer();
};

TEST_F(SimWindowContentsTest, SelectingFiresSelectionChangeAndASelectionKeepsWhatWasSelectedThen) {
    auto first = sim_.AddReceivedMail(ReceivedMailSetup{.subject = L"one"});
    auto second = sim_.AddReceivedMail(ReceivedMailSetup{.subject = L"two"});
    EXPECT_EQ(explorer_->Selection()->Count(), 0);
    WindowRecorder recorder;
    explorer_->Events().Advise(recorder);

    sim_.Select(explorer_, {first, second});
    EXPECT_EQ(recorder.events, std::vector<std::wstring>{L"SelectionChange"});
    const auto selection = explorer_->Selection();
    ASSERT_EQ(selection->Count(), 2);
    EXPECT_EQ(selection->Item(1), first);
    EXPECT_EQ(selection->Item(2), second);
    EXPECT_EQ(CodeOf([&] { selection->Item(3); }), outlook::hr::DispE_BadIndex);

    sim_.Select(explorer_, {});
    EXPECT_EQ(recorder.events.size(), 2u);
    EXPECT_EQ(explorer_->Selection()->Count(), 0);
    EXPECT_EQ(selection->Count(), 2);

    sim_.FailMember(L"Explorer.Selection", outlook::hr::E_Fail, L"busy", 1);
    EXPECT_EQ(CodeOf([&] { explorer_->Selection(); }), outlook::hr::E_Fail);
}

std::vector<platform::WindowHandle> g_destroyed;
void RecordDestroy(platform::WindowHandle window, const platform::WindowNotification& notification) {
    if (notification.kind == platform::WindowNotification::Kind::Destroy) g_destroyed.push_back(window);
}

TEST_F(SimWindowContentsTest, HidingTheReadingPaneDestroysItsWindowAndShowingMakesANewOne) {
    EXPECT_TRUE(explorer_->IsPaneVisible(outlook::olPreview));
    EXPECT_TRUE(explorer_->IsPaneVisible(static_cast<outlook::Pane>(2)));
    EXPECT_EQ(CodeOf([&] { explorer_->IsPaneVisible(static_cast<outlook::Pane>(9)); }), outlook::hr::E_InvalidArg);
    const platform::WindowHandle pane = sim_.ReadingPaneWindow(explorer_);
    ASSERT_NE(pane, platform::kNoWindow);
    g_destroyed.clear();
    ASSERT_TRUE(sim_.Windows().Subclass(pane, &RecordDestroy));

    sim_.SetReadingPaneVisible(explorer_, false);
    EXPECT_FALSE(explorer_->IsPaneVisible(outlook::olPreview));
    EXPECT_EQ(g_destroyed, std::vector<platform::WindowHandle>{pane});
    EXPECT_FALSE(sim_.Windows().IsWindow(pane));
    EXPECT_EQ(sim_.ReadingPaneWindow(explorer_), platform::kNoWindow);
    EXPECT_EQ(sim_.Windows().Children(explorer_->FrameWindow()).size(), 0u);

    sim_.SetReadingPaneVisible(explorer_, true);
    EXPECT_TRUE(explorer_->IsPaneVisible(outlook::olPreview));
    const platform::WindowHandle shown = sim_.ReadingPaneWindow(explorer_);
    EXPECT_NE(shown, platform::kNoWindow);
    EXPECT_NE(shown, pane);
    sim_.CloseExplorer(explorer_);
    EXPECT_EQ(sim_.ReadingPaneWindow(explorer_), platform::kNoWindow);
}

TEST(SimWindowContentsVersions, BodiesShowInWordFrom2007AndInTheHtmlViewerIn2003) {
    const struct {
        int version;
        const wchar_t* bodyClass;
    } cases[] = {{11, L"Internet Explorer_Server"}, {12, L"_WwB"}, {14, L"_WwB"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        platform::ManualClock clock;
        SimOutlook sim(Version(c.version), clock);
        WindowTree& windows = sim.Windows();
        const auto explorer = sim.OpenExplorer();
        const auto inspector = sim.OpenInspector(sim.CreateMailItem());
        const struct {
            platform::WindowHandle body;
            platform::WindowHandle frame;
        } shown[] = {{sim.ReadingPaneWindow(explorer), explorer->FrameWindow()},
                     {sim.BodyWindow(inspector), inspector->FrameWindow()}};
        for (const auto& each : shown) {
            EXPECT_EQ(windows.ClassName(each.body), c.bodyClass);
            const platform::WindowHandle container = windows.Parent(each.body);
            EXPECT_EQ(windows.Parent(container), each.frame) << "a framing child of the frame holds the body";
            const auto body = windows.WindowRect(each.body);
            const auto frame = windows.WindowRect(each.frame);
            ASSERT_TRUE(body && frame);
            EXPECT_GT(body->right - body->left, 200);
            EXPECT_GT(body->bottom - body->top, 200);
            EXPECT_TRUE(body->left > frame->left && body->right < frame->right && body->top > frame->top &&
                        body->bottom < frame->bottom);
        }
        sim.CloseInspector(inspector);
        EXPECT_EQ(sim.BodyWindow(inspector), platform::kNoWindow);
    }
}

}  // namespace
}  // namespace sealwing::sim
