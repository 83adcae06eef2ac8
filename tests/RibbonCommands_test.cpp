#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/SealwingAddin.h"
#include "compose/InspectorExtension.h"
#include "dialogs/AboutDialogTemplate.h"
#include "options/OptionsDialogTemplate.h"
#include "platform/Text.h"
#include "settings/SettingsStore.h"
#include "sim/SimCommandBar.h"
#include "sim/SimCommandBarControl.h"
#include "sim/SimCommandBarControls.h"
#include "sim/SimCommandBars.h"
#include "sim/SimExplorer.h"
#include "sim/SimInspector.h"
#include "sim/SimMailItem.h"
#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

constexpr const wchar_t* kUser = L"ann@example.com";

// Where each Outlook version offers the add-in's commands: the main window's command bar (2003, 2007) or ribbon
// (2010), the compose window's toolbar (2003) or ribbon (2007, 2010).
class CommandSurfaceTest : public ::testing::TestWithParam<int> {
protected:
    explicit CommandSurfaceTest(sim::SimOptions options = {}) : world_(WithVersion(std::move(options))) {
        world_.Outlook().AddAccount({.type = outlook::olImap, .displayName = L"Ann", .smtpAddress = kUser});
        explorer_ = world_.Outlook().OpenExplorer();
        world_.Outlook().ActivateExplorer(explorer_);
    }
    ~CommandSurfaceTest() override {
        world_.Outlook().SetRibbonExtensibility(nullptr);
        addin_.OnDisconnection(outlook::ext_dm_HostShutdown);
    }
    static sim::SimOptions WithVersion(sim::SimOptions options) {
        options.majorVersion = GetParam();
        return options;
    }
    void Connect() {
        EXPECT_EQ(addin_.OnConnection(world_.Outlook().Application(), outlook::ext_cm_Startup), 0);
        world_.Outlook().SetRibbonExtensibility(&addin_);
    }
    outlook::Ref<sim::SimCommandBar> ParcelonBar() { return explorer_->Bars()->Bar(L"Parcelon"); }
    // The popup's Configuration (1) or About (2) button of the main window's bar.
    outlook::Ref<sim::SimCommandBarControl> BarButton(std::size_t which) {
        const auto bar = ParcelonBar();
        if (bar == nullptr) return nullptr;
        return bar->ControlList()->List().at(0)->PopupControls()->List().at(which - 1);
    }
    outlook::Ref<sim::SimInspector> Compose() {
        auto draft = world_.Outlook().CreateMailItem();
        draft->SetSubject(L"Draft");
        auto inspector = world_.Outlook().OpenInspector(draft);
        world_.Outlook().ActivateInspector(inspector);
        return inspector;
    }
    // The user opens the main window's options: its command bar's Configuration, or its ribbon's Options.
    void MainWindowOptions() {
        if (GetParam() < 14) {
            ASSERT_NE(BarButton(1), nullptr);
            world_.Outlook().ClickControl(BarButton(1));
        } else {
            ASSERT_TRUE(world_.Outlook().ClickRibbonControl(explorer_->FrameWindow(), L"Options"));
        }
    }
    std::vector<int> DialogIds() {
        std::vector<int> ids;
        for (const auto& shown : world_.Outlook().User().Dialogs()) ids.push_back(shown.templateId);
        return ids;
    }

    testing::OutlookWorld world_;
    CSealwingAddin addin_;
    outlook::Ref<sim::SimExplorer> explorer_;
};

TEST_P(CommandSurfaceTest, EachVersionOffersTheCommandsWhereItsWindowsShowThem) {
    Connect();
    const auto inspector = Compose();
    const std::vector<std::wstring>& asked = world_.Outlook().RibbonRequests();
    const bool composeRibbon = GetParam() >= 12;
    const bool explorerRibbon = GetParam() >= 14;

    EXPECT_EQ(std::count(asked.begin(), asked.end(), L"Microsoft.Outlook.Mail.Compose"), composeRibbon ? 1 : 0);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), L"Microsoft.Outlook.Explorer"), explorerRibbon ? 1 : 0);
    EXPECT_EQ(world_.Outlook().ClickRibbonControl(inspector->FrameWindow(), L"SealwingButton"), composeRibbon);
    EXPECT_EQ(inspector->Bars()->FindControlByTag(kSendButtonTag) != nullptr, !composeRibbon);

    const auto bar = ParcelonBar();
    ASSERT_EQ(bar != nullptr, !explorerRibbon);
    if (bar == nullptr) return;
    EXPECT_EQ(bar->Position(), outlook::msoBarTop);
    EXPECT_EQ(bar->Temporary(), true);
    EXPECT_EQ(bar->Left(), 100);
    EXPECT_EQ(bar->RowIndex(), 2);
    EXPECT_TRUE(bar->IsVisible());
    const auto& popup = bar->ControlList()->List();
    ASSERT_EQ(popup.size(), 1U);
    EXPECT_EQ(popup[0]->Type(), outlook::msoControlPopup);
    EXPECT_EQ(popup[0]->CurrentCaption(), L"Parcelon");
    EXPECT_EQ(BarButton(1)->CurrentCaption(), L"Configuration");
    EXPECT_EQ(BarButton(2)->CurrentCaption(), L"About");
    EXPECT_TRUE(addin_.ExplorerExtensionAt(0)->CommandBarBuilt());
}

TEST_P(CommandSurfaceTest, ABarThatFailedToBuildIsBuiltAtTheWindowsNextActivationAndOnlyOnce) {
    if (GetParam() >= 14) GTEST_SKIP() << "Outlook 2010's main window has no command bar";
    world_.Outlook().FailMember(L"CommandBars.Add", static_cast<outlook::HResult>(0x80004005), L"No bars now", 1);
    Connect();
    EXPECT_FALSE(addin_.ExplorerExtensionAt(0)->CommandBarBuilt());
    EXPECT_NE(world_.LogFile("Main").find("[ERROR] COM exception. Code 80004005. Description \"No bars now\""),
              std::string::npos);

    world_.Outlook().ActivateExplorer(explorer_);
    world_.Outlook().ActivateExplorer(explorer_);

    EXPECT_TRUE(addin_.ExplorerExtensionAt(0)->CommandBarBuilt());
    std::size_t bars = 0;
    for (const auto& bar : explorer_->Bars()->Bars()) bars += bar->CurrentName() == L"Parcelon" ? 1 : 0;
    EXPECT_EQ(bars, 1U);
}

TEST_P(CommandSurfaceTest, MainWindowOptionsOpenForTheProfilesOwnAddressOwnedByTheMainWindow) {
    Connect();
    MainWindowOptions();

    const auto& dialogs = world_.Outlook().User().Dialogs();
    ASSERT_EQ(DialogIds(), std::vector<int>{options::kOptionsDialogId});
    EXPECT_EQ(dialogs[0].owner, explorer_->FrameWindow());
    const std::string log = world_.LogFile("Main");
    EXPECT_NE(log.find("Options to be shown in SealwingAddin.cpp(237)"), std::string::npos) << log;
    EXPECT_NE(log.find("Options to be shown in explorer window in SealwingAddin.cpp(249)"), std::string::npos);
}

TEST_P(CommandSurfaceTest, MainWindowOptionsWhileAComposeWindowIsActiveAreThatWindowsOptions) {
    if (GetParam() == 11) GTEST_SKIP() << "Outlook 2003 keeps no compose-window list for the ribbon";
    Connect();
    const auto inspector = Compose();
    MainWindowOptions();

    ASSERT_EQ(DialogIds(), std::vector<int>{options::kOptionsDialogId});
    EXPECT_EQ(world_.Outlook().User().Dialogs()[0].owner, inspector->FrameWindow());
    EXPECT_NE(world_.LogFile("Main").find("Options clicked in inspector"), std::string::npos);
}

TEST_P(CommandSurfaceTest, AboutIsOwnedByTheRibbonControlsWindowOrElseByTheMainWindow) {
    Connect();
    const auto inspector = Compose();
    if (GetParam() >= 12) {
        ASSERT_TRUE(world_.Outlook().ClickRibbonControl(inspector->FrameWindow(), L"About"));
    }
    if (GetParam() < 14) world_.Outlook().ClickControl(BarButton(2));

    std::vector<platform::WindowHandle> owners;
    for (const auto& shown : world_.Outlook().User().Dialogs()) {
        EXPECT_EQ(shown.templateId, dialogs::kAboutDialogId);
        owners.push_back(shown.owner);
    }
    std::vector<platform::WindowHandle> expected;
    if (GetParam() >= 12) expected.push_back(inspector->FrameWindow());
    if (GetParam() < 14) expected.push_back(explorer_->FrameWindow());
    EXPECT_EQ(owners, expected);
}

INSTANTIATE_TEST_SUITE_P(Versions, CommandSurfaceTest, ::testing::Values(11, 12, 14));

TEST(RibbonCallbackTest, WithoutOutlookTheCommandsAreAcceptedAndDoNothingAndUnknownNamesAreRefused) {
    testing::OutlookWorld world(14, testing::LocalServiceUse::None);
    CSealwingAddin addin;
    ASSERT_EQ(addin.OnConnection(nullptr, outlook::ext_cm_Startup), 0);

    for (const wchar_t* name : {L"UIStartup", L"Sealwing", L"SealwingOptions", L"SealwingAbout"}) {
        EXPECT_TRUE(addin.InvokeRibbonCallback(name, platform::kNoWindow)) << platform::Utf8FromWide(name);
    }
    EXPECT_FALSE(addin.InvokeRibbonCallback(L"LoadImage", platform::kNoWindow));
    EXPECT_FALSE(addin.InvokeRibbonCallback(L"sealwing", platform::kNoWindow));
    EXPECT_TRUE(world.Outlook().User().Dialogs().empty());
    addin.OnDisconnection(outlook::ext_dm_HostShutdown);
}

// The profile's user is an Exchange mailbox known by its distinguished name.
class ExchangeOptionsTest : public CommandSurfaceTest {
protected:
    static constexpr const wchar_t* kMailbox = L"/o=Example/ou=First Administrative Group/cn=Recipients/cn=ann";
    ExchangeOptionsTest() : CommandSurfaceTest(sim::SimOptions{.userAddress = kMailbox}) {}
};

TEST_P(ExchangeOptionsTest, AnExchangeUserIsNamedByItsMappingOn2003AndWhatOutlookCannotTellIsLogged) {
    settings::SettingsStore::Instance().SetMappedAddress(kMailbox, L"ann@office.example.com");
    Connect();
    MainWindowOptions();

    ASSERT_EQ(DialogIds(), std::vector<int>{options::kOptionsDialogId});
    const std::string log = world_.LogFile("Main");
    if (GetParam() == 11) {
        EXPECT_EQ(log.find("[ERROR] COM error"), std::string::npos) << log;
    } else {
        // No Exchange user behind the entry: the error is logged and the dialog still opens.
        EXPECT_NE(log.find("[ERROR] COM error. File SealwingAddin.cpp, line 278, error 80004003"), std::string::npos)
            << log;
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, ExchangeOptionsTest, ::testing::Values(11, 14));

// Outlook 2003 with Word editing mail: its item windows are not in the ribbon's list, so the main window's
// Configuration must not give a compose window a second extension (two handlers on Word's shared toolbar).
class Word2003Test : public CommandSurfaceTest {
protected:
    Word2003Test() : CommandSurfaceTest(sim::SimOptions{.wordEditsMailIn2003 = true}) {}
};

TEST_P(Word2003Test, ConfigurationWithAComposeWindowOpenMakesNoSecondExtension) {
    Connect();
    Compose();
    ASSERT_EQ(addin_.InspectorExtensionCount(), 1U);

    world_.Outlook().ClickControl(BarButton(1));

    EXPECT_EQ(addin_.InspectorExtensionCount(), 1U);
    EXPECT_EQ(DialogIds(), std::vector<int>{options::kOptionsDialogId});
    EXPECT_EQ(world_.Outlook().WordCommandBars()->ControlsTagged(kSendButtonTag).size(), 1U);
}

INSTANTIATE_TEST_SUITE_P(Outlook2003, Word2003Test, ::testing::Values(11));

}  // namespace
}  // namespace sealwing
