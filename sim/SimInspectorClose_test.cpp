#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/SimInspector.h"
#include "sim/SimMailItem.h"
#include "sim/SimOutlook.h"
#include "sim/SimTestSupport.h"

namespace sealwing::sim {
namespace {

using outlook::Ref;
using testing::CodeOf;
using testing::WindowRecorder;

class SimInspectorCloseTest : public ::testing::Test {
protected:
    platform::ManualClock clock_;
    SimOutlook sim_{SimOptions{}, clock_};
};

TEST_F(SimInspectorCloseTest, CloseSavesOnlyWhenAskedAndClosesTheWindowAsTheUserWould) {
    for (const auto mode : {outlook::olSave, outlook::olDiscard}) {
        SCOPED_TRACE(mode);
        auto item = sim_.CreateMailItem();
        item->SetSubject(L"draft");
        auto inspector = sim_.OpenInspector(item);
        const platform::WindowHandle frame = inspector->FrameWindow();
        WindowRecorder recorder;
        inspector->Events().Advise(recorder);

        inspector->Close(mode);
        EXPECT_EQ(item->IsSaved(), mode == outlook::olSave);
        EXPECT_EQ(recorder.events, std::vector<std::wstring>{L"Close"});
        EXPECT_EQ(sim_.Application()->Inspectors()->Count(), 0);
        EXPECT_FALSE(sim_.Windows().IsWindow(frame));
        EXPECT_TRUE(inspector->IsClosed());
        EXPECT_EQ(CodeOf([&] { inspector->Close(outlook::olDiscard); }), outlook::hr::E_Fail);
        EXPECT_EQ(recorder.events.size(), 1u);
    }
}

TEST_F(SimInspectorCloseTest, AnItemThatCannotBeSavedKeepsItsWindow) {
    auto item = sim_.CreateMailItem();
    auto inspector = sim_.OpenInspector(item);
    item->Delete();
    EXPECT_EQ(CodeOf([&] { inspector->Close(outlook::olSave); }), outlook::hr::Mapi_E_NotFound);
    EXPECT_TRUE(inspector->IsDisplayed());
    sim_.FailMember(L"Inspector.Close", outlook::hr::E_Fail, L"busy", 1);
    EXPECT_EQ(CodeOf([&] { inspector->Close(outlook::olDiscard); }), outlook::hr::E_Fail);
    EXPECT_TRUE(inspector->IsDisplayed());
    inspector->Close(outlook::olDiscard);
    EXPECT_TRUE(inspector->IsClosed());
}

TEST_F(SimInspectorCloseTest, AnInspectorNeverShownClosesWithoutWindowOrEvents) {
    auto item = sim_.CreateMailItem();
    auto inspector = item->GetInspector();
    const std::size_t windows = sim_.Windows().Count();
    inspector->Close(outlook::olSave);
    EXPECT_TRUE(item->IsSaved());
    EXPECT_EQ(sim_.Windows().Count(), windows);
    EXPECT_EQ(CodeOf([&] { inspector->Close(outlook::olSave); }), outlook::hr::E_Fail);
    EXPECT_NE(item->GetInspector(), inspector) << "the item gets a new window";
}

TEST(SimInspectorWordMail, WordEditsMailFrom2007AndIn2003WhenChosen) {
    const struct {
        int version;
        bool wordIn2003;
        bool wordMail;
    } cases[] = {{11, false, false}, {11, true, true}, {12, false, true}, {14, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        platform::ManualClock clock;
        SimOptions options;
        options.majorVersion = c.version;
        options.wordEditsMailIn2003 = c.wordIn2003;
        SimOutlook sim(options, clock);
        auto inspector = sim.OpenInspector(sim.CreateMailItem());
        EXPECT_EQ(inspector->IsWordMail(), c.wordMail);
        EXPECT_EQ(inspector->WordEditor() != nullptr, c.wordMail);
    }
}

}  // namespace
}  // namespace sealwing::sim
