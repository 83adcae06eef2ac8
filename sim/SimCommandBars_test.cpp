#include "sim/SimCommandBars.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/SimCommandBar.h"
#include "sim/SimCommandBarControl.h"
#include "sim/SimCommandBarControls.h"
#include "sim/SimExplorer.h"
#include "sim/SimInspector.h"
#include "sim/SimOutlook.h"
#include "sim/SimTestSupport.h"

namespace sealwing::sim {
namespace {

using outlook::Ref;
using testing::CodeOf;

std::vector<std::wstring> Captions(const Ref<outlook::CommandBarControls>& controls) {
    std::vector<std::wstring> captions;
    for (int i = 1; i <= controls->Count(); ++i) captions.push_back(controls->Item(i)->Caption());
    return captions;
}

Ref<outlook::CommandBarControl> AddButton(const Ref<outlook::CommandBarControls>& controls, std::wstring caption,
                                          outlook::ControlPlacement placement = {}) {
    auto button = controls->Add(outlook::msoControlButton, placement);
    button->SetCaption(caption);
    return button;
}

// ControlPlacement has no member initializers, so designated initializers that leave members out do not compile
// warning-free.
outlook::ControlPlacement Before(int position) {
    outlook::ControlPlacement placement;
    placement.before = position;
    return placement;
}

struct ClickRecorder : outlook::CommandBarButtonEvents {
    bool setCancel = false;
    std::vector<bool> cancelSeen;
    std::vector<Ref<outlook::CommandBarControl>> buttons;
    void Click(const Ref<outlook::CommandBarControl>& button, bool& cancel) override {
        buttons.push_back(button);
        cancelSeen.push_back(cancel);
        if (setCancel) cancel = true;
    }
};

class SimCommandBarsTest : public ::testing::Test {
protected:
    platform::ManualClock clock_;
    SimOutlook sim_{SimOptions{}, clock_};
    Ref<SimInspector> inspector_ = sim_.OpenInspector(sim_.CreateMailItem());
    Ref<outlook::CommandBarControls> standard_ = inspector_->CommandBars()->Item(L"Standard")->Controls();
};

TEST_F(SimCommandBarsTest, ControlsTakeTheirPlaceBeforeAPositionOrAtTheEnd) {
    ASSERT_EQ(Captions(standard_), (std::vector<std::wstring>{L"&Send", L"&Save", L"Attach", L"&Print"}));
    AddButton(standard_, L"Secure", {.parameter = L"p", .before = 3, .temporary = true});
    AddButton(standard_, L"Far", Before(99));
    AddButton(standard_, L"Last");
    AddButton(standard_, L"First", Before(1));
    EXPECT_EQ(Captions(standard_), (std::vector<std::wstring>{L"First", L"&Send", L"&Save", L"Secure", L"Attach",
                                                              L"&Print", L"Far", L"Last"}));

    const auto secure = inspector_->Bars()->Bar(L"Standard")->ControlList()->List()[3];
    EXPECT_EQ(secure->Parameter(), L"p");
    EXPECT_EQ(secure->Temporary(), true);
    EXPECT_EQ(secure->Type(), outlook::msoControlButton);
    EXPECT_FALSE(inspector_->Bars()->Bar(L"Standard")->ControlList()->List()[6]->Temporary().has_value());

    EXPECT_EQ(CodeOf([&] { standard_->Add(outlook::msoControlButton, Before(0)); }), outlook::hr::E_InvalidArg);
    EXPECT_EQ(CodeOf([&] { standard_->Add(static_cast<outlook::ControlType>(4), {}); }), outlook::hr::E_InvalidArg);
    EXPECT_EQ(standard_->Count(), 8);
}

TEST_F(SimCommandBarsTest, ControlsKeepWhatTheAddInSetAndDeleteTakesThemOff) {
    auto button = AddButton(standard_, L"Secure");
    button->SetTag(L"sealwing.send");
    button->SetTooltipText(L"Send securely");
    button->SetBeginGroup(true);
    button->SetStyle(outlook::msoButtonIconAndCaption);
    button->SetFace(101, 102);
    auto popup = standard_->Add(outlook::msoControlPopup, {});
    auto inner = AddButton(popup->Controls(), L"Inner");
    inner->SetTag(L"sealwing.send");

    const auto bars = inspector_->Bars();
    const auto found = bars->FindControlByTag(L"sealwing.send");
    ASSERT_EQ(found, button);
    EXPECT_EQ(found->TooltipText(), L"Send securely");
    EXPECT_TRUE(found->BeginsGroup());
    EXPECT_EQ(found->Style(), outlook::msoButtonIconAndCaption);
    EXPECT_EQ(found->FaceImage(), 101);
    EXPECT_EQ(found->FaceMask(), 102);
    EXPECT_EQ(bars->ControlsTagged(L"sealwing.send").size(), 2u);
    const std::size_t before = bars->ControlCount();

    button->Delete();
    EXPECT_EQ(bars->ControlsTagged(L"sealwing.send"),
              (std::vector<Ref<SimCommandBarControl>>{std::dynamic_pointer_cast<SimCommandBarControl>(inner)}));
    EXPECT_EQ(bars->ControlCount(), before - 1);
    EXPECT_EQ(CodeOf([&] { button->Delete(); }), outlook::hr::E_Fail);
    inner->Delete();
    EXPECT_EQ(popup->Controls()->Count(), 0);
    EXPECT_EQ(bars->FindControlByTag(L"sealwing.send"), nullptr);
}

TEST_F(SimCommandBarsTest, AControlRefusesTheOtherKindsMembersAsMissing) {
    auto button = AddButton(standard_, L"Button");
    auto popup = standard_->Add(outlook::msoControlPopup, {});
    EXPECT_EQ(CodeOf([&] { button->Controls(); }), outlook::hr::DispE_UnknownName);
    EXPECT_EQ(CodeOf([&] { popup->SetStyle(outlook::msoButtonCaption); }), outlook::hr::DispE_UnknownName);
    EXPECT_EQ(CodeOf([&] { popup->SetFace(1, 2); }), outlook::hr::DispE_UnknownName);
    EXPECT_EQ(CodeOf([&] { popup->Events(); }), outlook::hr::DispE_UnknownName);
    // The members both kinds share work on each.
    popup->SetCaption(L"Secure");
    popup->SetTag(L"t");
    EXPECT_EQ(popup->Caption(), L"Secure");
    EXPECT_EQ(popup->Tag(), L"t");
}

TEST_F(SimCommandBarsTest, BarsAreFoundByNameAndNewOnesKeepWhereTheyWereAskedToSit) {
    const auto explorerBars = sim_.OpenExplorer()->CommandBars();
    for (const wchar_t* name : {L"Menu Bar", L"Standard", L"Advanced", L"standard"}) {
        EXPECT_EQ(CodeOf([&] { explorerBars->Item(name); }), outlook::hr::S_Ok) << name;
    }
    EXPECT_EQ(CodeOf([&] { explorerBars->Item(L"E-mail"); }), outlook::hr::E_InvalidArg);
    EXPECT_EQ(CodeOf([&] { inspector_->CommandBars()->Item(L"Advanced"); }), outlook::hr::E_InvalidArg);

    auto bar = inspector_->CommandBars()->Add(L"Sealwing", outlook::msoBarTop, true);
    bar->SetLeft(300);
    bar->SetRowIndex(2);
    bar->SetVisible(true);
    const auto kept = inspector_->Bars()->Bar(L"Sealwing");
    ASSERT_EQ(kept, bar);
    EXPECT_EQ(kept->Name(), L"Sealwing");
    EXPECT_EQ(kept->Position(), outlook::msoBarTop);
    EXPECT_EQ(kept->Temporary(), true);
    EXPECT_EQ(kept->Left(), 300);
    EXPECT_EQ(kept->RowIndex(), 2);
    EXPECT_TRUE(kept->IsVisible());
    EXPECT_EQ(CodeOf([&] { inspector_->CommandBars()->Add(L"sealwing", outlook::msoBarTop, true); }),
              outlook::hr::E_InvalidArg);
}

TEST_F(SimCommandBarsTest, WordHasOneEmailBarForEveryDocumentAndItOutlivesThem) {
    auto second = sim_.OpenInspector(sim_.CreateMailItem());
    const auto first = inspector_->WordEditor()->CommandBars();
    ASSERT_EQ(first, second->WordEditor()->CommandBars());
    ASSERT_EQ(first, sim_.WordCommandBars());
    auto email = first->Item(L"E-mail")->Controls();
    ASSERT_GE(email->Count(), 3);
    AddButton(email, L"Secure", Before(2))->SetTag(L"sealwing.word");

    sim_.CloseInspector(inspector_);
    sim_.CloseInspector(second);
    auto later = sim_.OpenInspector(sim_.CreateMailItem());
    ASSERT_NE(sim_.WordCommandBars()->FindControlByTag(L"sealwing.word"), nullptr);
    EXPECT_EQ(later->WordEditor()->CommandBars()->Item(L"E-mail")->Controls()->Item(2)->Caption(), L"Secure");
    EXPECT_EQ(later->Bars()->FindControlByTag(L"sealwing.word"), nullptr) << "the inspector's own bars are apart";
}

TEST_F(SimCommandBarsTest, AClickReachesEverySinkWithOneCancelFlag) {
    auto button = AddButton(standard_, L"Secure");
    ClickRecorder first;
    ClickRecorder second;
    first.setCancel = true;
    const auto firstCookie = button->Events().Advise(first);
    button->Events().Advise(second);

    EXPECT_TRUE(sim_.ClickControl(button));
    ASSERT_EQ(first.buttons, (std::vector<Ref<outlook::CommandBarControl>>{button}));
    EXPECT_EQ(first.cancelSeen, std::vector<bool>{false});
    EXPECT_EQ(second.cancelSeen, std::vector<bool>{true});
    EXPECT_EQ(sim_.Journal().back(), L"Fire CommandBarButtonEvents.Click");

    button->Events().Unadvise(firstCookie);
    EXPECT_FALSE(sim_.ClickControl(button));
    EXPECT_EQ(first.buttons.size(), 1u);
    EXPECT_EQ(second.cancelSeen, (std::vector<bool>{true, false}));

    EXPECT_THROW(sim_.ClickControl(standard_->Add(outlook::msoControlPopup, {})), std::invalid_argument);
    button->Delete();
    EXPECT_THROW(sim_.ClickControl(button), std::logic_error);
}

TEST_F(SimCommandBarsTest, EachMemberCanBeMadeToFail) {
    sim_.FailMember(L"CommandBarControls.Add", outlook::hr::E_Fail, L"Office is busy", 1);
    EXPECT_EQ(CodeOf([&] { AddButton(standard_, L"Secure"); }), outlook::hr::E_Fail);
    EXPECT_EQ(CodeOf([&] { AddButton(standard_, L"Secure"); }), outlook::hr::S_Ok);

    sim_.FailMember(L"CommandBars.Item", outlook::hr::E_Fail, L"x", -1);
    EXPECT_EQ(CodeOf([&] { inspector_->CommandBars()->Item(L"Standard"); }), outlook::hr::E_Fail);
    sim_.FailMember(L"Inspector.CommandBars", outlook::hr::E_Fail, L"x", 1);
    EXPECT_EQ(CodeOf([&] { inspector_->CommandBars(); }), outlook::hr::E_Fail);
    sim_.FailMember(L"CommandBarButtonEvents.Advise", outlook::hr::E_Fail, L"x", 1);
    ClickRecorder sink;
    EXPECT_EQ(CodeOf([&] { standard_->Item(1)->Events().Advise(sink); }), outlook::hr::E_Fail);
}

}  // namespace
}  // namespace sealwing::sim
