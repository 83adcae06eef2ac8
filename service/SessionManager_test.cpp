#include "service/SessionManager.h"

#include <gtest/gtest.h>

#include "diagnostics/Log.h"
#include "dialogs/LoginDialog.h"
#include "dialogs/LoginDialogTemplate.h"
#include "settings/PasswordCache.h"
#include "tests/OutlookWorld.h"

namespace sealwing::service {
namespace {

using localservice::Endpoint;

constexpr const wchar_t* kAnn = L"ann@example.com";

class SessionManagerTest : public ::testing::Test {
protected:
    SessionManagerTest() {
        Sessions().SetPasswordPrompt(&dialogs::AskForPassword);
        world_.Service().State().AddAccount({.email = "ann@example.com", .password = "right"});
        world_.Outlook().OpenExplorer();
        diagnostics::OpenThreadLog(L"Main");
    }

    static SessionManager& Sessions() { return SessionManager::Instance(); }
    sim::ScriptedUser& User() { return world_.Outlook().User(); }
    // The user types `password` into the next login dialog and presses OK.
    void WillType(const wchar_t* password) {
        User().AtDialog(dialogs::kLoginDialogId, [password](sim::DialogScreen& screen) {
            screen.Type(dialogs::kPasswordFieldId, password);
            screen.Press(platform::kDialogOk);
        });
    }
    std::size_t Count(const std::string& pathStart) {
        std::size_t count = 0;
        for (const auto& request : world_.Service().Requests().All()) count += request.target.starts_with(pathStart);
        return count;
    }
    void AdvanceMinutes(int minutes) {
        world_.Clock().Advance(static_cast<std::uint64_t>(minutes) * 60 * 1000);
        world_.Outlook().Loop().RunPending();
    }
    std::string ServiceSessionOf(const std::wstring& id) {
        return world_.Service().State().SessionAccount(platform::Utf8FromWide(id)).value_or("(dead)");
    }

    testing::OutlookWorld world_{14};
};

TEST_F(SessionManagerTest, TheFirstSessionAsksForThePasswordAndStartsThePings) {
    WillType(L"right");
    std::wstring first;
    std::wstring second;
    ASSERT_EQ(Sessions().GetSession(kAnn, first), ServiceResult::Success);
    ASSERT_EQ(Sessions().GetSession(kAnn, second), ServiceResult::Success);

    EXPECT_EQ(first, second);
    EXPECT_EQ(ServiceSessionOf(first), "ann@example.com");
    EXPECT_EQ(Count("/rest/account.xml"), 1u);
    EXPECT_EQ(User().Dialogs().size(), 1u);
    EXPECT_EQ(Sessions().PingInterval(), SessionManager::kPingIntervalMs);
    EXPECT_EQ(Count("/secure/accounts/authStatus"), 1u);  // the first pass runs at once

    bool registered = false;
    EXPECT_EQ(Sessions().IsRegistered(kAnn, registered), ServiceResult::Success);
    EXPECT_TRUE(registered);
    EXPECT_EQ(Count("/secure/accounts/checkUser"), 0u);
    EXPECT_EQ(Sessions().IsRegistered(L"nobody@example.com", registered), ServiceResult::Success);
    EXPECT_FALSE(registered);
}

TEST_F(SessionManagerTest, AWrongPasswordAsksAgainWithTheNoticeUntilTheUserCancels) {
    WillType(L"wrong");
    User().AtDialog(dialogs::kLoginDialogId, [](sim::DialogScreen& screen) {
        EXPECT_EQ(screen.Text(dialogs::kLoginPromptId), dialogs::kPasswordIncorrectText);
        EXPECT_EQ(screen.Text(dialogs::kPasswordFieldId), L"");  // the rejected password was forgotten
        screen.Press(platform::kDialogCancel);
    });
    std::wstring id;
    EXPECT_EQ(Sessions().GetSession(kAnn, id), ServiceResult::Cancelled);
    EXPECT_EQ(User().Dialogs().size(), 2u);
    EXPECT_EQ(Sessions().SessionCount(), 0u);
    EXPECT_FALSE(settings::PasswordCache::Instance().HasPassword(kAnn));

    // The second attempt in one call shows the notice; a wrong then right password logs in.
    WillType(L"wrong");
    WillType(L"right");
    EXPECT_EQ(Sessions().GetSession(kAnn, id), ServiceResult::Success);
    EXPECT_EQ(User().Dialogs().back().opened.at(dialogs::kLoginPromptId).colour, (platform::Rgb{255, 0, 0}));
}

TEST_F(SessionManagerTest, ServiceFailuresEndTheLoginWithoutAskingAgain) {
    settings::PasswordCache::Instance().SetPassword(kAnn, L"right");
    world_.Service().Faults().Set(Endpoint::Account, localservice::Fault{.status = 500});
    std::wstring id;
    EXPECT_EQ(Sessions().GetSession(kAnn, id), ServiceResult::Failed);
    world_.Service().Faults().Set(Endpoint::Account, localservice::Fault{.status = 404});
    EXPECT_EQ(Sessions().GetSession(kAnn, id), ServiceResult::NotFound);
    EXPECT_TRUE(User().Dialogs().empty());
    EXPECT_EQ(Sessions().PingInterval(), SessionManager::kNoPingTimer);
}

TEST_F(SessionManagerTest, EveryHalfHourADeadSessionIsRenewedSilentlyAndAnUnansweredPingChangesNothing) {
    settings::PasswordCache::Instance().SetPassword(kAnn, L"right");
    std::wstring first;
    ASSERT_EQ(Sessions().GetSession(kAnn, first), ServiceResult::Success);

    world_.Service().Faults().Set(Endpoint::AuthStatus, localservice::Fault{.status = 500, .times = 1});
    AdvanceMinutes(30);
    EXPECT_EQ(Count("/secure/accounts/authStatus"), 2u);
    EXPECT_EQ(Sessions().Account(kAnn)->session_id, first);

    world_.Service().State().ExpireSession(platform::Utf8FromWide(first));
    AdvanceMinutes(29);
    EXPECT_EQ(Count("/secure/accounts/authStatus"), 2u);
    AdvanceMinutes(1);
    EXPECT_EQ(Count("/secure/accounts/authStatus"), 3u);
    ASSERT_NE(Sessions().Account(kAnn), nullptr);
    const std::wstring renewed = Sessions().Account(kAnn)->session_id;
    EXPECT_NE(renewed, first);
    EXPECT_EQ(ServiceSessionOf(renewed), "ann@example.com");
    EXPECT_TRUE(User().Dialogs().empty());
    EXPECT_NE(diagnostics::CollectAllLogs().find("Pinging in SessionManager.cpp("), std::string::npos);
}

// The first login's immediate ping finds the session dead and the silent login fails: the caller gets that failure
// and no session, never an exception.
TEST_F(SessionManagerTest, AFirstSessionFoundDeadAtOnceAndNotRenewedIsTheLoginsFailure) {
    settings::PasswordCache::Instance().SetPassword(kAnn, L"right");
    world_.Service().Faults().Set(Endpoint::AuthStatus, localservice::Fault{.body = "<r><auth>false</auth></r>"});
    world_.Service().Faults().Set(Endpoint::Account, localservice::Fault{.status = 503, .after = 1});
    std::wstring id;
    EXPECT_EQ(Sessions().GetSession(kAnn, id), ServiceResult::Failed);
    EXPECT_EQ(id, L"");
    EXPECT_EQ(Sessions().SessionCount(), 0u);
    EXPECT_EQ(Count("/rest/account.xml"), 2u);
    EXPECT_TRUE(User().Dialogs().empty());

    // A silent login refused outright: the cached password is forgotten and the user is asked, with the notice.
    Sessions().Reset();
    world_.Service().Faults().Set(Endpoint::Account, localservice::Fault{.status = 401, .times = 1, .after = 1});
    User().AtDialog(dialogs::kLoginDialogId, [](sim::DialogScreen& screen) {
        EXPECT_EQ(screen.Text(dialogs::kLoginPromptId), dialogs::kPasswordIncorrectText);
        screen.Type(dialogs::kPasswordFieldId, L"right");
        screen.Press(platform::kDialogOk);
    });
    EXPECT_EQ(Sessions().GetSession(kAnn, id), ServiceResult::Success);
    EXPECT_EQ(User().Dialogs().size(), 1u);
}

TEST_F(SessionManagerTest, ASessionWhosePasswordChangedIsDroppedAndTheNextLoginAsksWithTheNotice) {
    settings::PasswordCache::Instance().SetPassword(kAnn, L"right");
    world_.Service().State().AddAccount({.email = "bob@example.com", .password = "bobs"});
    settings::PasswordCache::Instance().SetPassword(L"bob@example.com", L"bobs");
    std::wstring ann;
    std::wstring bob;
    ASSERT_EQ(Sessions().GetSession(kAnn, ann), ServiceResult::Success);
    ASSERT_EQ(Sessions().GetSession(L"bob@example.com", bob), ServiceResult::Success);

    world_.Service().State().AddAccount({.email = "ann@example.com", .password = "changed"});
    world_.Service().State().ExpireSession(platform::Utf8FromWide(ann));
    AdvanceMinutes(30);
    EXPECT_EQ(Sessions().Account(kAnn), nullptr);
    ASSERT_NE(Sessions().Account(L"bob@example.com"), nullptr);
    EXPECT_EQ(Sessions().Account(L"bob@example.com")->session_id, bob);

    const std::size_t loginsBefore = Count("/rest/account.xml");
    User().AtDialog(dialogs::kLoginDialogId, [](sim::DialogScreen& screen) {
        EXPECT_EQ(screen.Text(dialogs::kLoginPromptId), dialogs::kPasswordIncorrectText);
        screen.Type(dialogs::kPasswordFieldId, L"changed");
        screen.Press(platform::kDialogOk);
    });
    std::wstring renewed;
    EXPECT_EQ(Sessions().GetSession(kAnn, renewed), ServiceResult::Success);
    EXPECT_EQ(Count("/rest/account.xml") - loginsBefore, 2u);  // the cached password once, then the typed one
    EXPECT_EQ(User().Dialogs().size(), 1u);
}

}  // namespace
}  // namespace sealwing::service
