#include "dialogs/NewVersionDialog.h"

#include <gtest/gtest.h>

#include "dialogs/NewVersionDialogTemplate.h"
#include "tests/OutlookWorld.h"

namespace sealwing::dialogs {
namespace {

constexpr const wchar_t* kInfo = L"https://service.parcelon.example/outlook/1.39.html";
constexpr const wchar_t* kInstaller = L"https://service.parcelon.example/outlook/setup-1.39.exe";

class NewVersionDialogTest : public ::testing::Test {
protected:
    sim::ScriptedUser& User() { return world_.Outlook().User(); }
    testing::OutlookWorld world_{14, testing::LocalServiceUse::None};
};

TEST_F(NewVersionDialogTest, TheNoticeLinksTheReleaseNotesAndTheInstallerAndOpensEach) {
    User().AtDialog(kNewVersionDialogId, [](sim::DialogScreen& screen) {
        screen.ClickNthLink(kNewVersionTextId, 1);
        screen.ClickNthLink(kNewVersionTextId, 0);
        screen.Press(kNewVersionOkId);
    });

    CNewVersionDlg({.major = 1, .minor = 39, .info_url = kInfo, .binary_url = kInstaller}).Show(0x42);

    const sim::ShownDialog& shown = User().Dialogs().at(0);
    EXPECT_EQ(shown.caption, L"Parcelon for Microsoft Outlook");
    EXPECT_EQ(shown.owner, 0x42u);
    EXPECT_EQ(shown.opened.at(kNewVersionTextId).text,
              L"New version of Parcelon for Microsoft Outlook is available. Please click here for more information "
              L"about this new release:\n<a href=\"https://service.parcelon.example/outlook/1.39.html\">"
              L"https://service.parcelon.example/outlook/1.39.html</a>\n\nTo download installer please click here: \n"
              L"<a href=\"https://service.parcelon.example/outlook/setup-1.39.exe\">"
              L"https://service.parcelon.example/outlook/setup-1.39.exe</a>");
    EXPECT_EQ(shown.opened.at(kNewVersionOkId).text, L"OK");
    EXPECT_EQ(User().OpenedLinks(), (std::vector<std::wstring>{kInstaller, kInfo}));
}

// The addresses come from the service's version file: one that is no web address is shown but never opened.
TEST_F(NewVersionDialogTest, AnInstallerAddressThatIsNoWebAddressIsNotOpened) {
    User().AtDialog(kNewVersionDialogId, [](sim::DialogScreen& screen) {
        screen.ClickLink(kNewVersionTextId, L"\\\\server\\share\\setup.exe");
        screen.Close();
    });
    CNewVersionDlg({.info_url = kInfo, .binary_url = L"\\\\server\\share\\setup.exe"}).Show(platform::kNoWindow);
    EXPECT_TRUE(User().OpenedLinks().empty());
}

}  // namespace
}  // namespace sealwing::dialogs
