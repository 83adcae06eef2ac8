#include "dialogs/AboutDialog.h"

#include <gtest/gtest.h>

#include "diagnostics/Log.h"
#include "diagnostics/LogViewerDialogTemplate.h"
#include "dialogs/AboutDialogTemplate.h"
#include "outlook/ComError.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "settings/SettingsStore.h"
#include "tests/OutlookWorld.h"

namespace sealwing::dialogs {
namespace {

constexpr const wchar_t* kExchangeAddress = L"/o=Org/ou=Site/cn=Recipients/cn=ann";

class AboutDialogTest : public ::testing::Test {
protected:
    AboutDialogTest() { diagnostics::OpenThreadLog(L"Main"); }

    sim::ScriptedUser& User() { return world_.Outlook().User(); }
    static settings::SettingsStore& Settings() { return settings::SettingsStore::Instance(); }
    static bool MappingKeyExists() { return platform::TheRegistry().KeyExists(settings::kMappingKey); }

    testing::OutlookWorld world_{11, testing::LocalServiceUse::None};
};

TEST_F(AboutDialogTest, TheAboutTextNamesTheProductAndOnTheNextLineItsVersion) {
    const platform::WindowHandle owner = world_.Outlook().OpenExplorer()->Window();
    CAboutDlg({.outlookVersion = 14}).Show(owner);

    const sim::ShownDialog& shown = User().Dialogs().at(0);
    EXPECT_EQ(shown.caption, L"Parcelon for Microsoft Outlook");
    EXPECT_EQ(shown.owner, owner);
    const std::wstring text = shown.opened.at(kAboutTextId).text;
    EXPECT_TRUE(text.starts_with(L"{\\rtf1")) << "rich text, not plain text";
    const std::wstring_view product = L"Parcelon for Microsoft Outlook}";
    const std::size_t at = text.find(product);
    ASSERT_NE(at, std::wstring::npos) << platform::Utf8FromWide(text);
    EXPECT_TRUE(text.substr(at + product.size()).starts_with(L"\\par\nVersion: 1.38\\par")) << "the very next line";
    EXPECT_EQ(shown.opened.at(kRegistrationLinkId).text,
              L"To use Parcelon for Microsoft Outlook,\nyou need to be registered at <a "
              L"href=\"https://service.parcelon.example/\">service.parcelon.example</a>");
    EXPECT_EQ(shown.opened.at(kViewLogId).text, L"View activity log");
    EXPECT_EQ(shown.opened.at(kCloseAboutId).text, L"Close");
}

// Only Outlook 2003 asks the user for Exchange addresses, so only there, and only once one is held, can they be reset.
TEST_F(AboutDialogTest, TheResetButtonShowsOnlyOnOutlook2003WithAMappingHeld) {
    struct Case {
        int version;
        bool mapped;
        bool visible;
    };
    for (const Case c : {Case{11, true, true}, Case{11, false, false}, Case{12, true, false}, Case{14, true, false},
                         Case{10, true, true}}) {
        SCOPED_TRACE(::testing::Message() << "Outlook " << c.version << ", mapped " << c.mapped);
        Settings().ForgetMappings();
        if (c.mapped) Settings().SetMappedAddress(kExchangeAddress, L"ann@example.com");
        CAboutDlg({.outlookVersion = c.version}).Show(platform::kNoWindow);
        const sim::ShownDialog& shown = User().Dialogs().back();
        EXPECT_EQ(shown.opened.at(kResetMappingsId).visible, c.visible);
        EXPECT_EQ(shown.opened.at(kResetMappingsId).text, L"Reset emails for exchange accounts");
    }
}

TEST_F(AboutDialogTest, ResetForgetsEveryMappingMapsTheAccountsAgainOverTheDialogAndHidesTheButton) {
    Settings().SetMappedAddress(kExchangeAddress, L"ann@example.com");
    ASSERT_TRUE(MappingKeyExists());
    std::vector<platform::WindowHandle> mappedOver;
    std::size_t mappingsHeldWhenMapping = 99;
    platform::WindowHandle about = platform::kNoWindow;
    User().AtDialog(kAboutDialogId, [&](sim::DialogScreen& screen) {
        about = screen.Window();
        screen.Press(kResetMappingsId);
        EXPECT_FALSE(screen.Control(kResetMappingsId).visible);
        EXPECT_THROW(screen.Press(kResetMappingsId), std::logic_error);
        screen.Press(kCloseAboutId);
    });

    CAboutDlg({.outlookVersion = 11,
               .mapExchangeAccounts =
                   [&](platform::WindowHandle owner) {
                       mappedOver.push_back(owner);
                       mappingsHeldWhenMapping = Settings().CachedMappingCount();
                       EXPECT_FALSE(MappingKeyExists())
                           << "the stored mappings are gone before the accounts are mapped";
                   }})
        .Show(platform::kNoWindow);

    EXPECT_EQ(mappedOver, std::vector<platform::WindowHandle>{about});
    EXPECT_NE(about, platform::kNoWindow);
    EXPECT_EQ(mappingsHeldWhenMapping, 0u);
    EXPECT_EQ(Settings().MappedAddress(kExchangeAddress), L"") << "read back from the registry: forgotten";
}

// Mapping the accounts again talks to Outlook, which may fail: the failure is logged and the dialog stays up.
TEST_F(AboutDialogTest, AnAutomationErrorWhileMappingAgainIsLoggedAndTheDialogStaysUp) {
    Settings().SetMappedAddress(kExchangeAddress, L"ann@example.com");
    User().AtDialog(kAboutDialogId, [](sim::DialogScreen& screen) {
        screen.Press(kResetMappingsId);
        EXPECT_FALSE(screen.Ended());
        EXPECT_FALSE(screen.Control(kResetMappingsId).visible);
        screen.Close();
    });
    CAboutDlg({.outlookVersion = 11,
               .mapExchangeAccounts =
                   [](platform::WindowHandle) {
                       throw outlook::ComError(static_cast<outlook::HResult>(0x80004005), L"Session gone");
                   }})
        .Show(platform::kNoWindow);

    const std::string log = world_.LogFile("Main");
    EXPECT_NE(log.find("[ERROR] COM exception. Code 80004005. Description \"Session gone\"\n"), std::string::npos)
        << log;
    EXPECT_FALSE(MappingKeyExists());
}

TEST_F(AboutDialogTest, ViewActivityLogShowsEveryLogOverTheAboutDialog) {
    diagnostics::LogWrite(L"a line of this run\n");
    platform::WindowHandle about = platform::kNoWindow;
    User().AtDialog(kAboutDialogId, [&](sim::DialogScreen& screen) {
        about = screen.Window();
        screen.Press(kViewLogId);
        EXPECT_FALSE(screen.Ended()) << "the About dialog stays when the viewer closes";
        screen.Press(kCloseAboutId);
    });
    User().AtDialog(diagnostics::kLogViewerDialogId, [](sim::DialogScreen& screen) {
        EXPECT_NE(screen.Text(diagnostics::kLogTextId).find(L"===Main log\r\n"), std::wstring::npos);
        EXPECT_NE(screen.Text(diagnostics::kLogTextId).find(L"a line of this run\r\n"), std::wstring::npos);
        screen.Press(diagnostics::kCloseLogViewerId);
    });

    CAboutDlg({.outlookVersion = 14}).Show(platform::kNoWindow);

    ASSERT_EQ(User().Dialogs().size(), 2u);
    EXPECT_EQ(User().Dialogs()[1].templateId, diagnostics::kLogViewerDialogId);
    EXPECT_EQ(User().Dialogs()[1].owner, about);
    EXPECT_EQ(User().PendingDialogScripts(), 0u);
}

TEST_F(AboutDialogTest, BothLinksOpenTheServicesWebSite) {
    User().AtDialog(kAboutDialogId, [](sim::DialogScreen& screen) {
        screen.ClickNthLink(kRegistrationLinkId, 0);
        screen.ClickLink(kAboutTextId, L"https://service.parcelon.example/");
        screen.Close();
    });
    CAboutDlg({.outlookVersion = 14}).Show(platform::kNoWindow);
    EXPECT_EQ(User().OpenedLinks(),
              (std::vector<std::wstring>{L"https://service.parcelon.example/", L"https://service.parcelon.example/"}));
}

}  // namespace
}  // namespace sealwing::dialogs
