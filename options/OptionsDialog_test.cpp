#include "options/OptionsDialog.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "diagnostics/Log.h"
#include "dialogs/ImapWarningDialogTemplate.h"
#include "options/OptionsDialogTemplate.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "service/ServiceOperations.h"
#include "settings/SettingsStore.h"
#include "tests/OutlookWorld.h"

namespace sealwing::options {
namespace {

constexpr const wchar_t* kFree = L"ann@home.example";  // POP3, a free account
constexpr const wchar_t* kPro = L"ann@work.example";   // IMAP, a pro account
constexpr const wchar_t* kFeaturesPage = L"https://service.parcelon.example/about/features";
// The controls the service's standing governs.
constexpr int kGoverned[] = {kAlertId, kCopyMeId, kPlaceInSentId, kDestructId, kDestructLabelId, kSaveSettingsId};

std::wstring FreeStandingText() {
    return L"You are using a free Parcelon account. Some options are only available for users who enjoy advantages "
           L"of Parcelon Pro account. To learn more about Parcelon Pro and its benefits please click <a "
           L"href=\"https://service.parcelon.example/about/features\">here</a>";
}

std::wstring UnregisteredText(const std::wstring& email) {
    return L"No Parcelon account has been registered for this email. To be able to send and receive Parcelon "
           L"messages with this account please click <a href=\"https://service.parcelon.example/#/sender/" +
           email + L"\">here</a> to register";
}

// The dialog over the simulated Outlook 2010 and the local service; what it does depends on no Outlook version.
class OptionsDialogOnceTest : public ::testing::Test {
protected:
    OptionsDialogOnceTest() : OptionsDialogOnceTest(14) {}
    explicit OptionsDialogOnceTest(int version) : world_(version) {
        WireSettingsAsTheAddinDoes();
        diagnostics::OpenThreadLog(L"Main");
        owner_ = world_.Outlook().OpenExplorer()->Window();
    }

    static void WireSettingsAsTheAddinDoes() {
        settings::SettingsStore::Instance().SetStandingCheck(&service::IsProAccount);
    }
    // What a new run of Outlook knows: the registry, and no cached record.
    static void NewRun() {
        settings::SettingsStore::Instance().ResetForTests();
        WireSettingsAsTheAddinDoes();
    }

    sim::ScriptedUser& User() { return world_.Outlook().User(); }

    void AddOutlookAccount(outlook::AccountType type, const wchar_t* email) {
        world_.Outlook().AddAccount({.type = type, .displayName = email, .smtpAddress = email});
    }
    void Register(const wchar_t* email, const char* type) {
        world_.Service().State().AddAccount({.email = platform::Utf8FromWide(email), .password = "pw", .type = type});
    }
    // The two accounts most tests need: a free POP3 account first, a pro IMAP account second.
    void AddFreeAndProAccounts() {
        AddOutlookAccount(outlook::olPop3, kFree);
        AddOutlookAccount(outlook::olImap, kPro);
        Register(kFree, "free");
        Register(kPro, "pro");
    }

    // Opens the dialog, worked by `script` (unscripted: closed at once, as with Escape).
    int Open(std::wstring_view preselected = L"", sim::ScriptedUser::DialogScript script = {}) {
        if (script) User().AtDialog(kOptionsDialogId, std::move(script));
        return COptionsDlg().Open(world_.Outlook().Application(), preselected, owner_);
    }
    // The options dialog as its n-th showing (from 0) opened.
    const std::map<int, sim::ControlState>& Opened(std::size_t showing = 0) {
        std::size_t seen = 0;
        for (const sim::ShownDialog& dialog : User().Dialogs()) {
            if (dialog.templateId == kOptionsDialogId && seen++ == showing) return dialog.opened;
        }
        throw std::logic_error("the options dialog was not shown that often");
    }
    std::size_t ImapWarnings() {
        std::size_t count = 0;
        for (const sim::ShownDialog& dialog : User().Dialogs()) {
            count += dialog.templateId == dialogs::kImapWarningDialogId ? 1 : 0;
        }
        return count;
    }
    static std::optional<std::uint32_t> Stored(const wchar_t* email, const wchar_t* value) {
        return platform::TheRegistry().ReadDword(std::wstring(settings::kProductKey) + L"\\" + email, value);
    }
    std::size_t AccountChecks() {
        std::size_t count = 0;
        for (const auto& request : world_.Service().Requests().All()) {
            count += request.target.starts_with("/secure/accounts/checkUser") ? 1 : 0;
        }
        return count;
    }

    testing::OutlookWorld world_;
    platform::WindowHandle owner_ = platform::kNoWindow;
};

TEST(DestructChoiceTexts, ElevenTextsAndThePositionOfEachDayCountWithUnknownCountsShownAsNever) {
    EXPECT_EQ(DestructChoiceTexts(),
              (std::vector<std::wstring>{L"never", L"in 1 day", L"in 3 days", L"in 5 days", L"in 7 days", L"in 14 days",
                                         L"in 30 days", L"in 60 days", L"in 90 days", L"in 180 days", L"in 365 days"}));
    struct Case {
        std::int32_t days;
        int position;
    };
    for (const Case c : {Case{0, 0}, Case{1, 1}, Case{7, 4}, Case{30, 6}, Case{365, 10}, Case{2, 0}, Case{-1, 0},
                         Case{999, 0}, Case{366, 0}}) {
        EXPECT_EQ(DestructPositionOf(c.days), c.position) << c.days;
    }
}

TEST_F(OptionsDialogOnceTest, AFreeAccountMayAskForCopiesButNeitherAlertsNorExpiresAndKeepsItsWeek) {
    AddFreeAndProAccounts();
    EXPECT_EQ(Open(), platform::kDialogCancel);

    const auto& opened = Opened();
    ASSERT_EQ(User().Dialogs().size(), 1u);
    EXPECT_EQ(User().Dialogs()[0].caption, L"Parcelon for Microsoft Outlook Settings");
    EXPECT_EQ(User().Dialogs()[0].owner, owner_);
    EXPECT_EQ(opened.at(kAccountChooserId).choices, (std::vector<std::wstring>{kFree, kPro}));
    EXPECT_EQ(opened.at(kAccountChooserId).chosen, 0);
    EXPECT_EQ(opened.at(kStandingId).text, FreeStandingText());
    for (const int id : {kAlertId, kDestructId, kDestructLabelId, kSaveSettingsId}) {
        EXPECT_FALSE(opened.at(id).enabled) << id;
    }
    EXPECT_TRUE(opened.at(kCopyMeId).enabled);
    EXPECT_TRUE(opened.at(kPlaceInSentId).enabled);
    EXPECT_EQ(opened.at(kPlaceInSentId).text, L"Place a copy of message in my Sent folder (unencrypted)");
    EXPECT_EQ(opened.at(kDestructId).choices.size(), 11u);
    EXPECT_EQ(opened.at(kDestructId).choices[static_cast<std::size_t>(opened.at(kDestructId).chosen)], L"in 7 days");
    for (const int id : {kAlertId, kCopyMeId, kPlaceInSentId}) EXPECT_FALSE(opened.at(id).checked) << id;
    EXPECT_EQ(settings::SettingsStore::Instance().SettingsFor(kFree).destruct, 7);
    EXPECT_FALSE(platform::TheRegistry().KeyExists(settings::kProductKey)) << "opening writes nothing";
    EXPECT_NE(diagnostics::CollectAllLogs().find("Initializing options window"), std::string::npos);
}

TEST_F(OptionsDialogOnceTest, ThirtyDaysSavedReachTheRegistryAndTheNextRunShowsThem) {
    AddFreeAndProAccounts();
    bool saveEnabledAfterChoosing = false;
    const int result = Open(kPro, [&](sim::DialogScreen& screen) {
        EXPECT_EQ(screen.Control(kStandingId).text, L"Thank you for using Parcelon Pro.");
        EXPECT_TRUE(screen.LinkAddresses(kStandingId).empty());
        EXPECT_EQ(screen.Chosen(kDestructId), 0) << "a pro account's messages never expire by default";
        screen.Pick(kDestructId, 6);
        saveEnabledAfterChoosing = screen.Control(kSaveSettingsId).enabled;
        screen.Press(kSaveSettingsId);
    });

    EXPECT_EQ(result, kOptionsSaved);
    EXPECT_TRUE(saveEnabledAfterChoosing);
    EXPECT_EQ(Stored(kPro, L"Destruct"), 30u);
    EXPECT_EQ(Stored(kPro, L"Alert"), 0u);
    EXPECT_EQ(Stored(kPro, L"IMAPWarning"), 1u);
    EXPECT_FALSE(Stored(kFree, L"Destruct")) << "only the chosen account is written";
    EXPECT_FALSE(settings::SettingsStore::Instance().SettingsFor(kPro).dirty);

    NewRun();
    EXPECT_EQ(Open(kPro), platform::kDialogCancel);
    EXPECT_EQ(Opened(1).at(kAccountChooserId).chosen, 1);
    EXPECT_EQ(Opened(1).at(kDestructId).chosen, 6);
    EXPECT_FALSE(Opened(1).at(kSaveSettingsId).enabled);
}

TEST_F(OptionsDialogOnceTest, CloseKeepsTheChangesForThisRunOnlyAndTheNextOpeningOffersToSaveThem) {
    AddFreeAndProAccounts();
    Open(kPro, [](sim::DialogScreen& screen) {
        screen.Tick(kCopyMeId);
        screen.Tick(kAlertId);
        screen.Tick(kAlertId, false);
        screen.Pick(kDestructId, 2);
        screen.Press(kCloseOptionsId);
    });

    const settings::AccountSettings& record = settings::SettingsStore::Instance().SettingsFor(kPro);
    EXPECT_EQ(record.cc, 1);
    EXPECT_EQ(record.alert, 0);
    EXPECT_EQ(record.destruct, 3);
    EXPECT_TRUE(record.dirty);
    EXPECT_FALSE(platform::TheRegistry().KeyExists(settings::kProductKey)) << "Close writes nothing";

    Open(kPro);
    EXPECT_TRUE(Opened(1).at(kSaveSettingsId).enabled);
    EXPECT_TRUE(Opened(1).at(kCopyMeId).checked);
    EXPECT_FALSE(Opened(1).at(kAlertId).checked);
    EXPECT_EQ(Opened(1).at(kDestructId).chosen, 2);
}

// Each account shows its own record and standing, asked anew at every choice; Save settings follows the record
// shown.
TEST_F(OptionsDialogOnceTest, ChoosingAnotherAccountShowsItsRecordAndAsksTheServiceAgain) {
    AddFreeAndProAccounts();
    Open(L"", [&](sim::DialogScreen& screen) {
        screen.Tick(kCopyMeId);
        EXPECT_TRUE(screen.Control(kSaveSettingsId).enabled);
        const std::size_t checks = AccountChecks();

        screen.Pick(kAccountChooserId, 1);
        EXPECT_EQ(AccountChecks(), checks + 2) << "the record's first reading asks too";
        EXPECT_EQ(screen.Control(kStandingId).text, L"Thank you for using Parcelon Pro.");
        EXPECT_FALSE(screen.IsChecked(kCopyMeId));
        EXPECT_FALSE(screen.Control(kSaveSettingsId).enabled);
        for (const int id : {kAlertId, kCopyMeId, kPlaceInSentId, kDestructId, kDestructLabelId}) {
            EXPECT_TRUE(screen.Control(id).enabled) << id;
        }

        screen.Pick(kAccountChooserId, 0);
        EXPECT_EQ(AccountChecks(), checks + 3);
        EXPECT_TRUE(screen.IsChecked(kCopyMeId));
        EXPECT_TRUE(screen.Control(kSaveSettingsId).enabled);
        EXPECT_FALSE(screen.Control(kAlertId).enabled);
        screen.Press(kSaveSettingsId);
    });
    EXPECT_EQ(Stored(kFree, L"CC"), 1u);
    EXPECT_EQ(Stored(kFree, L"Destruct"), 7u) << "the week chosen for the free account is stored with it";
    EXPECT_FALSE(Stored(kPro, L"CC"));
}

TEST_F(OptionsDialogOnceTest, TheImapWarningComesWithEachTickUntilSilencedAndNeverAgainOnceSaved) {
    AddFreeAndProAccounts();
    platform::WindowHandle optionsWindow = platform::kNoWindow;
    User().AtDialog(kOptionsDialogId, [&](sim::DialogScreen& screen) {
        optionsWindow = screen.Window();
        screen.Tick(kPlaceInSentId);  // a POP3 account: no warning
        screen.Pick(kAccountChooserId, 1);
        screen.Tick(kPlaceInSentId);
        EXPECT_EQ(ImapWarnings(), 1u);
        screen.Tick(kPlaceInSentId, false);
        screen.Tick(kPlaceInSentId);
        EXPECT_EQ(ImapWarnings(), 2u) << "a box left clear silences nothing";
        screen.Tick(kPlaceInSentId, false);
        screen.Tick(kPlaceInSentId);
        screen.Press(kSaveSettingsId);
    });
    User().AtDialog(dialogs::kImapWarningDialogId, [](sim::DialogScreen& screen) { screen.Press(1); });
    User().AtDialog(dialogs::kImapWarningDialogId, [](sim::DialogScreen& screen) {
        screen.Tick(dialogs::kImapWarningDontShowId);
        screen.Press(1);
    });
    EXPECT_EQ(COptionsDlg().Open(world_.Outlook().Application(), L"", owner_), kOptionsSaved);

    EXPECT_EQ(ImapWarnings(), 2u);
    EXPECT_EQ(User().Dialogs()[1].owner, optionsWindow) << "over the options dialog, the active window";
    EXPECT_NE(optionsWindow, platform::kNoWindow);
    EXPECT_EQ(Stored(kPro, L"IMAPWarning"), 0u);
    EXPECT_EQ(Stored(kPro, L"Place"), 1u);

    NewRun();
    Open(kPro, [](sim::DialogScreen& screen) {
        screen.Tick(kPlaceInSentId, false);
        screen.Tick(kPlaceInSentId);
        screen.Press(kCloseOptionsId);
    });
    EXPECT_EQ(ImapWarnings(), 2u);
}

// Neither an account the service does not know nor a service that cannot be asked allows anything; the link
// offers to register the account.
TEST_F(OptionsDialogOnceTest, AnUnregisteredAccountAndAnUnreachableServiceAllowNothingAndLinkToRegistration) {
    AddOutlookAccount(outlook::olPop3, kFree);
    struct Case {
        const char* name;
        bool reachable;
    };
    for (const Case c : {Case{"not registered", true}, Case{"unreachable", false}}) {
        SCOPED_TRACE(c.name);
        NewRun();
        if (!c.reachable) world_.Service().Stop();
        const std::size_t linksBefore = User().OpenedLinks().size();
        std::map<int, sim::ControlState> shown;
        Open(L"", [&](sim::DialogScreen& screen) {
            shown = screen.Controls();
            screen.ClickNthLink(kStandingId, 0);
            screen.Press(kCloseOptionsId);
        });
        EXPECT_EQ(shown.at(kStandingId).text, UnregisteredText(kFree));
        for (const int id : kGoverned) EXPECT_FALSE(shown.at(id).enabled) << id;
        ASSERT_EQ(User().OpenedLinks().size(), linksBefore + 1);
        EXPECT_EQ(User().OpenedLinks().back(), L"https://service.parcelon.example/#/sender/ann@home.example");
    }
}

TEST_F(OptionsDialogOnceTest, TheFreeAccountsLinkOpensTheFeaturesPage) {
    AddFreeAndProAccounts();
    Open(L"", [](sim::DialogScreen& screen) {
        screen.ClickNthLink(kStandingId, 0);
        screen.Press(kCloseOptionsId);
    });
    EXPECT_EQ(User().OpenedLinks(), std::vector<std::wstring>{kFeaturesPage});
}

TEST_F(OptionsDialogOnceTest, WithoutAccountsTheUserIsToldAndTheDialogEndsUnlessAnAddressWasGiven) {
    EXPECT_EQ(Open(), platform::kDialogCancel);
    ASSERT_EQ(User().Shown().size(), 1u);
    const platform::MessageBoxRequest& box = User().Shown()[0].request;
    EXPECT_EQ(box.text,
              L"No Outlook accounts are configured\nYou need at least one Outlook account to use Parcelon for "
              L"Microsoft Outlook");
    EXPECT_EQ(box.caption, L"Parcelon for Microsoft Outlook");
    EXPECT_EQ(box.icon, platform::MessageBoxIcon::Warning);
    EXPECT_EQ(box.buttons, platform::MessageBoxButtons::Ok);
    ASSERT_EQ(User().Dialogs().size(), 1u);
    EXPECT_EQ(User().Dialogs()[0].result, platform::kDialogCancel);
    EXPECT_EQ(testing::Occurrences(diagnostics::CollectAllLogs(), "No Outlook accounts configured\n"), 1u);
    EXPECT_EQ(AccountChecks(), 0u);

    // The compose window's sender stands in for the missing accounts.
    Register(kPro, "pro");
    EXPECT_EQ(Open(kPro), platform::kDialogCancel);
    EXPECT_EQ(User().Shown().size(), 1u);
    EXPECT_EQ(Opened(1).at(kAccountChooserId).choices, std::vector<std::wstring>{kPro});
    EXPECT_EQ(Opened(1).at(kAccountChooserId).chosen, 0);
    EXPECT_EQ(Opened(1).at(kStandingId).text, L"Thank you for using Parcelon Pro.");
}

TEST_F(OptionsDialogOnceTest, TheGivenAddressIsChosenOnlyWhenListedExactly) {
    AddFreeAndProAccounts();
    struct Case {
        const wchar_t* preselected;
        int chosen;
    };
    const std::vector<Case> cases = {{kPro, 1}, {kFree, 0}, {L"", 0}, {L"ANN@work.example", 0}, {L"bob@x.example", 0}};
    for (std::size_t at = 0; at < cases.size(); ++at) {
        Open(cases[at].preselected);
        EXPECT_EQ(Opened(at).at(kAccountChooserId).chosen, cases[at].chosen)
            << platform::Utf8FromWide(cases[at].preselected);
        EXPECT_EQ(Opened(at).at(kAccountChooserId).choices.size(), 2u) << "a given address adds no entry";
    }
}

// Outlook 2003 lists an Exchange account by its distinguished name, which the user mapped to an e-mail address.
class OptionsDialogOutlook2003Test : public OptionsDialogOnceTest {
protected:
    OptionsDialogOutlook2003Test() : OptionsDialogOnceTest(11) {}
};

TEST_F(OptionsDialogOutlook2003Test, AnExchangeAccountIsListedUnderItsMappedAddressAndNamesItsSentCopyPlainly) {
    constexpr const wchar_t* kExchangeName = L"/o=Corp/ou=First/cn=Recipients/cn=ann";
    AddOutlookAccount(outlook::olPop3, kFree);
    world_.Outlook().AddAccount({.type = outlook::olExchange,
                                 .displayName = L"Exchange",
                                 .smtpAddress = L"ann@corp.example",
                                 .currentUserAddress = kExchangeName});
    settings::SettingsStore::Instance().SetMappedAddress(kExchangeName, L"ann@corp.example");
    Register(L"ann@corp.example", "pro");

    std::wstring exchangeText;
    std::wstring standing;
    std::wstring popText;
    Open(L"ann@corp.example", [&](sim::DialogScreen& screen) {
        exchangeText = screen.Text(kPlaceInSentId);
        standing = screen.Text(kStandingId);
        screen.Pick(kAccountChooserId, 0);
        popText = screen.Text(kPlaceInSentId);
        screen.Press(kCloseOptionsId);
    });
    EXPECT_EQ(Opened().at(kAccountChooserId).choices, (std::vector<std::wstring>{kFree, L"ann@corp.example"}));
    EXPECT_EQ(Opened().at(kAccountChooserId).chosen, 1);
    EXPECT_EQ(exchangeText, L"Place a copy of message in my Sent folder");
    EXPECT_EQ(standing, L"Thank you for using Parcelon Pro.") << "the service was asked about the mapped address";
    EXPECT_EQ(popText, L"Place a copy of message in my Sent folder (unencrypted)");
}

}  // namespace
}  // namespace sealwing::options
