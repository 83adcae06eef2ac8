#include "dialogs/AccountRequiredDialog.h"

#include <gtest/gtest.h>

#include <functional>

#include "diagnostics/FixedTexts.h"
#include "dialogs/AccountRequiredDialogTemplate.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "settings/SettingsStore.h"
#include "tests/OutlookWorld.h"

namespace sealwing::dialogs {
namespace {

constexpr const wchar_t* kEmail = L"ann+secure@example.com";

class AccountRequiredDialogTest : public ::testing::Test {
protected:
    sim::ScriptedUser& User() { return world_.Outlook().User(); }
    static std::optional<std::uint32_t> StoredSuppression() {
        return platform::TheRegistry().ReadDword(settings::kProductKey,
                                                 diagnostics::fixed::kSuppressUnregisteredWarningsValue);
    }

    testing::OutlookWorld world_{14, testing::LocalServiceUse::None};
};

TEST_F(AccountRequiredDialogTest, EachSideNamesTheAccountAndOnlyTheReadingSideOffersSilencing) {
    const platform::WindowHandle owner = world_.Outlook().OpenExplorer()->Window();
    ShowAccountRequiredForReading(owner, kEmail);
    ShowAccountRequiredForSending(owner, kEmail);

    ASSERT_EQ(User().Dialogs().size(), 2u);
    const sim::ShownDialog& reading = User().Dialogs()[0];
    const sim::ShownDialog& sending = User().Dialogs()[1];
    for (const sim::ShownDialog* shown : {&reading, &sending}) {
        EXPECT_EQ(shown->caption, L"Parcelon for Microsoft Outlook");
        EXPECT_EQ(shown->owner, owner);
        EXPECT_EQ(shown->opened.at(kCreateAccountId).text, L"Create account");
        EXPECT_EQ(shown->opened.at(kCloseAccountRequiredId).text, L"Close");
    }
    EXPECT_EQ(reading.opened.at(kAccountRequiredMessageId).text,
              L"To view this encrypted message directly in Outlook please first create a Parcelon account for "
              L"ann+secure@example.com.");
    EXPECT_TRUE(reading.opened.at(kAccountRequiredDontShowId).visible);
    EXPECT_EQ(reading.opened.at(kAccountRequiredDontShowId).text, L"Do not show this warning again");
    EXPECT_EQ(sending.opened.at(kAccountRequiredMessageId).text,
              L"To send this encrypted message please first create a Parcelon account for ann+secure@example.com.");
    EXPECT_FALSE(sending.opened.at(kAccountRequiredDontShowId).visible);
    EXPECT_TRUE(kAccountRequiredDialogTemplate.topmost);
}

// Whichever way the notice ends, the box's state is its answer; "Create account" also opens the service's page for
// the address, inserted as it is.
TEST_F(AccountRequiredDialogTest, TheAnswerIsTheBoxHoweverTheNoticeEndsAndCreateOpensTheAccountPage) {
    struct Case {
        const char* name;
        bool tick;
        std::function<void(sim::DialogScreen&)> end;
        bool opensPage;
    };
    const std::vector<Case> cases = {
        {"create, ticked", true, [](sim::DialogScreen& s) { s.Press(kCreateAccountId); }, true},
        {"create, clear", false, [](sim::DialogScreen& s) { s.Press(kCreateAccountId); }, true},
        {"close, ticked", true, [](sim::DialogScreen& s) { s.Press(kCloseAccountRequiredId); }, false},
        {"escape, ticked", true, [](sim::DialogScreen& s) { s.Close(); }, false},
        {"escape, clear", false, [](sim::DialogScreen& s) { s.Close(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t openedBefore = User().OpenedLinks().size();
        User().AtDialog(kAccountRequiredDialogId, [&c](sim::DialogScreen& screen) {
            screen.Tick(kAccountRequiredDontShowId, c.tick);
            c.end(screen);
        });

        EXPECT_EQ(CAccountRequiredDlg(kEmail, false).Show(platform::kNoWindow), c.tick);

        const std::vector<std::wstring> opened(User().OpenedLinks().begin() + static_cast<std::ptrdiff_t>(openedBefore),
                                               User().OpenedLinks().end());
        EXPECT_EQ(opened, c.opensPage ? std::vector<std::wstring>{L"https://service.parcelon.example/#/sender/" +
                                                                  std::wstring(kEmail)}
                                      : std::vector<std::wstring>{});
    }
}

TEST_F(AccountRequiredDialogTest, OnlyTheReadingSideKeepsTheTickAndTheSendingSideNeverTouchesTheSetting) {
    User().AtDialog(kAccountRequiredDialogId, [](sim::DialogScreen& screen) {
        EXPECT_THROW(screen.Tick(kAccountRequiredDontShowId), std::logic_error) << "the box is hidden";
        screen.Press(kCreateAccountId);
    });
    User().AtDialog(kAccountRequiredDialogId, [](sim::DialogScreen& screen) { screen.Close(); });
    ShowAccountRequiredForSending(platform::kNoWindow, kEmail);
    ShowAccountRequiredForSending(platform::kNoWindow, kEmail);
    EXPECT_EQ(StoredSuppression(), std::nullopt);
    EXPECT_FALSE(settings::SettingsStore::Instance().SuppressUnregisteredWarnings());

    User().AtDialog(kAccountRequiredDialogId, [](sim::DialogScreen& screen) { screen.Close(); });
    ShowAccountRequiredForReading(platform::kNoWindow, kEmail);
    EXPECT_EQ(StoredSuppression(), std::nullopt) << "a clear box stores nothing";

    User().AtDialog(kAccountRequiredDialogId, [](sim::DialogScreen& screen) {
        screen.Tick(kAccountRequiredDontShowId);
        screen.Press(kCloseAccountRequiredId);
    });
    ShowAccountRequiredForReading(platform::kNoWindow, kEmail);
    EXPECT_EQ(StoredSuppression(), std::optional<std::uint32_t>(1));
    EXPECT_TRUE(settings::SettingsStore::Instance().SuppressUnregisteredWarnings());
}

}  // namespace
}  // namespace sealwing::dialogs
