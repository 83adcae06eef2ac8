#include "dialogs/LoginDialog.h"

#include <gtest/gtest.h>

#include "addin/ProcessState.h"
#include "dialogs/LoginDialogTemplate.h"
#include "settings/PasswordCache.h"
#include "settings/PasswordStorage.h"
#include "tests/OutlookWorld.h"

namespace sealwing::dialogs {
namespace {

constexpr const wchar_t* kAnn = L"ann@example.com";

class LoginDialogTest : public ::testing::Test {
protected:
    LoginDialogTest() { ResetProcessState(); }
    ~LoginDialogTest() override { ResetProcessState(); }

    static settings::CredentialList SavedList() {
        settings::CredentialList saved;
        settings::LoadPasswordStorage(saved);
        return saved;
    }
    static void Save(const wchar_t* user, const wchar_t* password) {
        settings::CredentialList saved = SavedList();
        saved.Add(user, password);
        settings::SavePasswordStorage(saved);
    }
    static std::optional<std::wstring> Cached(const wchar_t* user) {
        return settings::PasswordCache::Instance().FindPassword(user);
    }
    sim::ScriptedUser& User() { return world_.Outlook().User(); }
    const sim::ShownDialog& LastDialog() { return User().Dialogs().back(); }

    testing::OutlookWorld world_{14, testing::LocalServiceUse::None};
};

TEST_F(LoginDialogTest, ASavedPasswordIsOfferedAndUntickingItDropsItFromTheFileButNotFromTheLogin) {
    Save(L"bob@example.com", L"bobs");
    Save(kAnn, L"saved pw");
    User().AtDialog(kLoginDialogId, [](sim::DialogScreen& screen) {
        screen.Tick(kSavePasswordId, false);
        screen.Press(platform::kDialogOk);
    });

    EXPECT_EQ(CCredentialsDlg(kAnn, 0).Show(platform::kNoWindow), platform::kDialogOk);

    const sim::ShownDialog& shown = LastDialog();
    EXPECT_EQ(shown.caption, L"Parcelon Login");
    EXPECT_EQ(shown.opened.at(kLoginFieldId).text, kAnn);
    EXPECT_EQ(shown.opened.at(kPasswordFieldId).text, L"saved pw");
    EXPECT_TRUE(shown.opened.at(kSavePasswordId).checked);
    EXPECT_EQ(shown.opened.at(kLoginPromptId).text, kLoginPromptText);
    EXPECT_EQ(shown.opened.at(kLoginPromptId).colour, std::nullopt);

    EXPECT_EQ(Cached(kAnn), std::optional<std::wstring>(L"saved pw"));
    const settings::CredentialList saved = SavedList();
    EXPECT_FALSE(saved.Find(kAnn));
    EXPECT_TRUE(saved.Find(L"bob@example.com"));
}

TEST_F(LoginDialogTest, ACachedPasswordIsOfferedUntickedAndTickingSavesWhatWasTyped) {
    settings::PasswordCache::Instance().SetPassword(kAnn, L"cached");
    User().AtDialog(kLoginDialogId, [](sim::DialogScreen& screen) {
        EXPECT_EQ(screen.Text(kPasswordFieldId), L"cached");
        EXPECT_FALSE(screen.IsChecked(kSavePasswordId));
        screen.Type(kPasswordFieldId, L"n\u00E9w");
        screen.Tick(kSavePasswordId);
        screen.Press(platform::kDialogOk);
    });

    EXPECT_EQ(CCredentialsDlg(kAnn, 0).Show(platform::kNoWindow), platform::kDialogOk);

    EXPECT_EQ(Cached(kAnn), std::optional<std::wstring>(L"n\u00E9w"));
    const settings::CredentialList saved = SavedList();
    ASSERT_TRUE(saved.Find(kAnn));
    EXPECT_EQ(saved.Entries()[*saved.Find(kAnn)].password, L"n\u00E9w");
}

TEST_F(LoginDialogTest, AFailedAttemptShowsTheRedNoticeInPlaceOfThePrompt) {
    User().AtDialog(kLoginDialogId, [](sim::DialogScreen& screen) { screen.Press(platform::kDialogOk); });
    CCredentialsDlg(kAnn, 1).Show(platform::kNoWindow);
    const sim::ControlState& prompt = LastDialog().opened.at(kLoginPromptId);
    EXPECT_EQ(prompt.text, kPasswordIncorrectText);
    EXPECT_EQ(prompt.colour, (platform::Rgb{255, 0, 0}));
}

TEST_F(LoginDialogTest, AnEmptyPasswordIsAcceptedAndNothingIsWrittenWithoutAnEntry) {
    User().AtDialog(kLoginDialogId, [](sim::DialogScreen& screen) { screen.Press(platform::kDialogOk); });
    EXPECT_EQ(CCredentialsDlg(kAnn, 0).Show(platform::kNoWindow), platform::kDialogOk);
    EXPECT_EQ(Cached(kAnn), std::optional<std::wstring>(L""));
    EXPECT_FALSE(std::filesystem::exists(platform::Utf8FromWide(settings::PasswordStoragePath())));
}

TEST_F(LoginDialogTest, CancelAndEscapeChangeNothing) {
    Save(kAnn, L"saved pw");
    User().AtDialog(kLoginDialogId, [](sim::DialogScreen& screen) {
        screen.Type(kPasswordFieldId, L"typed");
        screen.Tick(kSavePasswordId, false);
        screen.Press(platform::kDialogCancel);
    });
    EXPECT_EQ(CCredentialsDlg(kAnn, 0).Show(platform::kNoWindow), platform::kDialogCancel);
    EXPECT_EQ(CCredentialsDlg(kAnn, 0).Show(platform::kNoWindow), platform::kDialogCancel);  // unscripted: Escape
    EXPECT_FALSE(LastDialog().scripted);
    EXPECT_EQ(Cached(kAnn), std::nullopt);
    EXPECT_TRUE(SavedList().Find(kAnn));
}

}  // namespace
}  // namespace sealwing::dialogs
