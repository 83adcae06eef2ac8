#include "dialogs/ErrorDialog.h"

#include <gtest/gtest.h>

#include "diagnostics/Log.h"
#include "dialogs/ErrorDialogTemplate.h"
#include "tests/OutlookWorld.h"

namespace sealwing::dialogs {
namespace {

class ErrorDialogTest : public ::testing::Test {
protected:
    ErrorDialogTest() { diagnostics::OpenThreadLog(L"Main"); }

    sim::ScriptedUser& User() { return world_.Outlook().User(); }

    testing::OutlookWorld world_{14, testing::LocalServiceUse::None};
};

TEST_F(ErrorDialogTest, TheServicesTextIsShownUnderTheHeadingAndOkEndsTheNotice) {
    const platform::WindowHandle owner = world_.Outlook().OpenExplorer()->Window();
    User().AtDialog(kErrorDialogId, [](sim::DialogScreen& screen) { screen.Press(platform::kDialogOk); });

    ShowErrorNotice(owner, L"Recipient limit exceeded");

    ASSERT_EQ(User().Dialogs().size(), 1u);
    const sim::ShownDialog& shown = User().Dialogs()[0];
    EXPECT_EQ(shown.caption, L"Parcelon for Microsoft Outlook");
    EXPECT_EQ(shown.owner, owner);
    EXPECT_EQ(shown.opened.at(kErrorDetailsId).kind, platform::ControlKind::Link);
    EXPECT_EQ(shown.opened.at(kErrorDetailsId).text, L"Recipient limit exceeded");
    EXPECT_EQ(shown.result, platform::kDialogOk);
    EXPECT_EQ(kErrorDialogTemplate.controls[0].text, L"There was an error while performing requested operation");
}

TEST_F(ErrorDialogTest, EscapeOrTheCloseBoxEndsTheNoticeToo) {
    CErrorDlg notice(L"x");
    EXPECT_EQ(notice.Show(platform::kNoWindow), platform::kDialogCancel);  // nobody scripted it: closed
    EXPECT_TRUE(User().OpenedLinks().empty());
}

// The service's explanation may carry links: the user follows them to the browser, and only web addresses open.
TEST_F(ErrorDialogTest, ALinkInTheServicesTextOpensInTheBrowserAndOnlyWebAddressesOpen) {
    const std::wstring text =
        L"Your plan allows 5 recipients. <a href=\"https://service.parcelon.example/upgrade\">Upgrade</a>, or see "
        L"<a href=\"file:///C:/Windows/System32/calc.exe\">this</a> and <a href=\"javascript:alert(1)\">that</a>";
    User().AtDialog(kErrorDialogId, [](sim::DialogScreen& screen) {
        EXPECT_EQ(screen.LinkAddresses(kErrorDetailsId),
                  (std::vector<std::wstring>{L"https://service.parcelon.example/upgrade",
                                             L"file:///C:/Windows/System32/calc.exe", L"javascript:alert(1)"}));
        screen.ClickNthLink(kErrorDetailsId, 1);
        screen.ClickNthLink(kErrorDetailsId, 2);
        screen.ClickNthLink(kErrorDetailsId, 0);
        EXPECT_FALSE(screen.Ended()) << "following a link leaves the notice open";
        screen.Press(platform::kDialogOk);
    });

    ShowErrorNotice(platform::kNoWindow, text);

    EXPECT_EQ(User().OpenedLinks(), std::vector<std::wstring>{L"https://service.parcelon.example/upgrade"});
    const std::string log = world_.LogFile("Main");
    EXPECT_NE(log.find("WARNING! A link to \"file:///C:/Windows/System32/calc.exe\" was not opened"), std::string::npos)
        << log;
    EXPECT_NE(log.find("WARNING! A link to \"javascript:alert(1)\" was not opened"), std::string::npos) << log;
}

}  // namespace
}  // namespace sealwing::dialogs
