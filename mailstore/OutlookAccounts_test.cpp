#include "mailstore/OutlookAccounts.h"

#include <gtest/gtest.h>

#include "diagnostics/Log.h"
#include "mailstore/MapEmailDialogTemplate.h"
#include "platform/Registry.h"
#include "settings/SettingsStore.h"
#include "tests/OutlookWorld.h"

namespace sealwing::mailstore {
namespace {

TEST(IsEmailAddress, NeedsAnAtAndNoSlashOfEitherKind) {
    struct Case {
        const wchar_t* text;
        bool address;
    };
    for (const Case c : {Case{L"ann@example.com", true}, Case{L"@", true}, Case{L"", false},
                         Case{L"/o=Org/ou=First/cn=Recipients/cn=ann", false}, Case{L"ann@example.com/x", false},
                         Case{L"dom\\ann@example.com", false}, Case{L"ann.example.com", false}}) {
        EXPECT_EQ(IsEmailAddress(c.text), c.address) << platform::Utf8FromWide(c.text);
    }
}

class ObjectModelAccountsTest : public ::testing::TestWithParam<int> {
protected:
    ObjectModelAccountsTest() : world_(GetParam(), testing::LocalServiceUse::None) {
        auto& outlook = world_.Outlook();
        outlook.AddAccount({.type = outlook::olPop3, .displayName = L"Home", .smtpAddress = L"ann@home.example"});
        outlook.AddAccount({.type = outlook::olImap, .displayName = L"Work IMAP", .smtpAddress = L"ann@work.example"});
        outlook.AddAccount(
            {.type = outlook::olExchange, .displayName = L"Exchange", .currentUserAddress = L"ann@corp.example"});
        outlook.AddAccount({.type = outlook::olExchange,
                            .displayName = L"Old Exchange",
                            .currentUserAddress = L"/o=Corp/ou=First/cn=Recipients/cn=ann"});
        outlook.AddAccount({.type = outlook::olImap, .displayName = L"Google Apps - ann@apps.example"});
    }

    testing::OutlookWorld world_;
};

TEST_P(ObjectModelAccountsTest, EveryAccountWithAnAddressInOutlooksOrder) {
    // Outlook answers Nothing for the current user of an account in a broken profile: the account has no address.
    world_.Outlook().AddAccount({.type = outlook::olExchange, .displayName = L"Userless", .noCurrentUser = true});
    diagnostics::OpenThreadLog(L"Main");
    const std::vector<OutlookAccount> accounts = ListObjectModelAccounts(world_.Outlook().Application(), GetParam());
    EXPECT_EQ(testing::Occurrences(diagnostics::CollectAllLogs(), "WARNING! Account Userless has no current user\n"),
              GetParam() >= 14 ? 1U : 0U);

    std::vector<std::wstring> addresses;
    for (const OutlookAccount& account : accounts) addresses.push_back(account.smtpAddress);
    std::vector<std::wstring> expected = {L"ann@home.example", L"ann@work.example"};
    if (GetParam() >= 14) expected.push_back(L"ann@corp.example");  // from the current user, from 2010 on
    expected.push_back(L"ann@apps.example");
    EXPECT_EQ(addresses, expected);

    EXPECT_EQ(accounts[0].typeText, L"NA");
    EXPECT_EQ(accounts[1].typeText, L"IMAP");
    EXPECT_FALSE(accounts[1].isExchange);
    if (GetParam() >= 14) {
        EXPECT_TRUE(accounts[2].isExchange);
        EXPECT_EQ(accounts[2].typeText, L"NA");
    }
    EXPECT_TRUE(accounts.back().isGoogleApps);
    EXPECT_FALSE(accounts.front().isGoogleApps);
}

INSTANTIATE_TEST_SUITE_P(Outlook, ObjectModelAccountsTest, ::testing::Values(12, 14),
                         [](const auto& info) { return "Outlook" + std::to_string(info.param); });

constexpr const wchar_t* kExchangeName = L"/o=Corp/ou=First/cn=Recipients/cn=ann";

// Both ways of listing accounts, over one profile: POP3, IMAP, an Exchange account that the service knows by its
// distinguished name, and a Google Apps account whose only address is in its display name.
class ListAccountsTest : public ::testing::TestWithParam<int> {
protected:
    ListAccountsTest() : world_(GetParam(), testing::LocalServiceUse::None) {
        auto& outlook = world_.Outlook();
        outlook.AddAccount({.type = outlook::olPop3, .displayName = L"Home", .smtpAddress = L"ann@home.example"});
        outlook.AddAccount({.type = outlook::olImap, .displayName = L"Work IMAP", .smtpAddress = L"ann@work.example"});
        outlook.AddAccount({.type = outlook::olExchange,
                            .displayName = L"Exchange",
                            .smtpAddress = L"ann@corp.example",
                            .currentUserAddress = kExchangeName});
        outlook.AddAccount({.type = outlook::olImap, .displayName = L"Google Apps - ann@apps.example"});
    }

    static std::vector<std::wstring> Addresses(const std::vector<OutlookAccount>& accounts) {
        std::vector<std::wstring> addresses;
        for (const OutlookAccount& account : accounts) addresses.push_back(account.smtpAddress);
        return addresses;
    }
    std::vector<sim::ShownDialog> MappingDialogs() {
        std::vector<sim::ShownDialog> shown;
        for (const auto& dialog : world_.Outlook().User().Dialogs()) {
            if (dialog.templateId == kMapEmailDialogId) shown.push_back(dialog);
        }
        return shown;
    }

    testing::OutlookWorld world_;
};

TEST_P(ListAccountsTest, TheServicesListKeepsEveryAccountWithItsIdAndExchangeAddress) {
    const std::vector<OutlookAccount> accounts = ListAccounts(world_.Outlook().Application(), true);
    EXPECT_EQ(Addresses(accounts),
              (std::vector<std::wstring>{L"ann@home.example", L"ann@work.example", kExchangeName, L""}));
    ASSERT_EQ(accounts.size(), 4u);
    EXPECT_EQ(accounts[0].id, 1);
    EXPECT_EQ(accounts[3].id, 4);
    EXPECT_EQ(accounts[1].typeText, L"IMAP");
    EXPECT_TRUE(accounts[2].isExchange);
    EXPECT_EQ(accounts[2].typeText, L"Exchange");
    EXPECT_TRUE(accounts[3].isGoogleApps);
    EXPECT_FALSE(accounts[0].isGoogleApps);
}

TEST_P(ListAccountsTest, OutlookTwoThousandSevenOnListsFromTheObjectModelUnlessForced) {
    const std::vector<OutlookAccount> accounts = ListAccounts(world_.Outlook().Application(), false);
    if (GetParam() == 11) {
        EXPECT_EQ(accounts.size(), 4u);
        EXPECT_EQ(accounts[2].smtpAddress, kExchangeName);
    } else {
        // No account ids there; the Exchange account has its SMTP address.
        EXPECT_EQ(Addresses(accounts), (std::vector<std::wstring>{L"ann@home.example", L"ann@work.example",
                                                                  L"ann@corp.example", L"ann@apps.example"}));
        EXPECT_EQ(accounts.front().id, 0);
    }
}

TEST_P(ListAccountsTest, AnUnreadableServiceTellsTheUserAndListsNothing) {
    world_.Outlook().FailMember(L"OlkAccountManager.Init", outlook::hr::E_Fail, L"", 1);
    EXPECT_TRUE(ListAccounts(world_.Outlook().Application(), true).empty());
    const auto& shown = world_.Outlook().User().Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].request.text, L"Cannot retrieve list of users");
    EXPECT_EQ(shown[0].request.caption, L"Parcelon Addin for Outlook");
    EXPECT_EQ(shown[0].request.owner, platform::kNoWindow);
    EXPECT_EQ(shown[0].request.buttons, platform::MessageBoxButtons::Ok);
}

TEST_P(ListAccountsTest, ExchangeAddressesAreMappedFromTheObjectModelOrByTheUserOnTwoThousandThree) {
    auto& outlook = world_.Outlook();
    if (GetParam() >= 12) {
        // The object model's account of the same name gives its address.
        bool googleApps = false;
        MapExchangeAccounts(outlook.Application(), platform::kNoWindow, googleApps);
        EXPECT_TRUE(googleApps);
        EXPECT_TRUE(MappingDialogs().empty());
        EXPECT_EQ(settings::SettingsStore::Instance().MappedAddress(kExchangeName), L"ann@corp.example");
        return;
    }
    outlook.User().AtDialog(kMapEmailDialogId, [](sim::DialogScreen& screen) {
        EXPECT_EQ(screen.Control(kMapEmailAccountFieldId).text, L"Exchange");
        screen.Type(kMapEmailAddressFieldId, L"ann@corp.example");
        screen.Press(platform::kDialogOk);
    });
    bool googleApps = false;
    MapExchangeAccounts(outlook.Application(), platform::kNoWindow, googleApps);
    EXPECT_TRUE(googleApps);
    ASSERT_EQ(MappingDialogs().size(), 1u);
    EXPECT_EQ(MappingDialogs()[0].caption, L"Parcelon for Microsoft Outlook");
    EXPECT_EQ(settings::SettingsStore::Instance().MappedAddress(kExchangeName), L"ann@corp.example");

    // Mapped now: the next run asks nothing.
    MapExchangeAccounts(outlook.Application(), platform::kNoWindow, googleApps);
    EXPECT_EQ(MappingDialogs().size(), 1u);
}

// The flag is known before the per-account step, which may end with an automation error.
TEST_P(ListAccountsTest, TheGoogleAppsFlagSurvivesAFailureOfTheMappingStep) {
    if (GetParam() < 12) GTEST_SKIP() << "Outlook 2003 maps through the dialog, without the object model's accounts";
    world_.Outlook().FailMember(L"NameSpace.Accounts", outlook::hr::E_Fail, L"no accounts");
    bool googleApps = false;
    EXPECT_THROW(MapExchangeAccounts(world_.Outlook().Application(), platform::kNoWindow, googleApps),
                 outlook::ComError);
    EXPECT_TRUE(googleApps);
}

// The mapping dialog is Outlook 2003's.
class MappingDialogTest : public ListAccountsTest {};

TEST_P(MappingDialogTest, ClosingItStoresNothing) {
    bool googleApps = false;
    MapExchangeAccounts(world_.Outlook().Application(), platform::kNoWindow, googleApps);  // unscripted: Escape
    ASSERT_EQ(MappingDialogs().size(), 1u);
    EXPECT_EQ(MappingDialogs()[0].result, platform::kDialogCancel);
    EXPECT_FALSE(platform::TheRegistry().ReadString(settings::kMappingKey, settings::MappingName(kExchangeName)));
}

INSTANTIATE_TEST_SUITE_P(Outlook, ListAccountsTest, ::testing::Values(11, 12, 14),
                         [](const auto& info) { return "Outlook" + std::to_string(info.param); });
INSTANTIATE_TEST_SUITE_P(Outlook, MappingDialogTest, ::testing::Values(11),
                         [](const auto& info) { return "Outlook" + std::to_string(info.param); });

// Which address a message that names no account goes out from.
class DefaultSenderTest : public ::testing::TestWithParam<int> {
protected:
    DefaultSenderTest() : world_(GetParam()) {}

    outlook::Ref<sim::SimAccount> Account(const wchar_t* name, const wchar_t* address) {
        return world_.Outlook().AddAccount({.type = outlook::olPop3, .displayName = name, .smtpAddress = address});
    }
    void Registered(const char* email) {
        world_.Service().State().AddAccount({.email = email, .password = "pw", .type = "pro"});
    }
    std::wstring Choose() { return ChooseDefaultSenderAddress(world_.Outlook().Application()); }

    testing::OutlookWorld world_;
};

TEST_P(DefaultSenderTest, TheOnlyAccountIsChosenWithoutAskingTheService) {
    Account(L"Home", L"ann@home.example");
    EXPECT_EQ(Choose(), L"ann@home.example");
    EXPECT_EQ(world_.Service().Requests().Count(), 0u);
}

TEST_P(DefaultSenderTest, TheOneRegisteredAccountOrNone) {
    Account(L"Home", L"ann@home.example");
    Account(L"Work", L"ann@work.example");
    EXPECT_EQ(Choose(), L"");
    Registered("ann@work.example");
    EXPECT_EQ(Choose(), L"ann@work.example");
}

TEST_P(DefaultSenderTest, SeveralRegisteredAccountsGoToTheUsersDefault) {
    Account(L"Home", L"ann@home.example");
    const auto work = Account(L"Work", L"ann@work.example");
    Account(L"Club", L"ann@club.example");
    Registered("ann@home.example");
    Registered("ann@work.example");
    world_.Outlook().SetDefaultMailAccount(work);
    EXPECT_EQ(Choose(), L"ann@work.example");

    // A default the service cannot name leaves the choice open.
    world_.Outlook().FailMember(L"OlkAccountManager.GetOrder", outlook::hr::E_Fail, L"");
    EXPECT_EQ(Choose(), std::wstring(kSeveralAccounts));
}

// Only the service's list holds Exchange accounts without an address, and Outlook 2003 has no other.
class LegacyDefaultSenderTest : public DefaultSenderTest {};

TEST_P(LegacyDefaultSenderTest, AnExchangeAccountSendsUnderItsMappedAddress) {
    world_.Outlook().AddAccount(
        {.type = outlook::olExchange, .displayName = L"Exchange", .currentUserAddress = kExchangeName});
    settings::SettingsStore::Instance().SetMappedAddress(kExchangeName, L"ann@corp.example");
    EXPECT_EQ(Choose(), L"ann@corp.example");
}

INSTANTIATE_TEST_SUITE_P(Outlook, DefaultSenderTest, ::testing::Values(11, 12, 14),
                         [](const auto& info) { return "Outlook" + std::to_string(info.param); });
INSTANTIATE_TEST_SUITE_P(Outlook, LegacyDefaultSenderTest, ::testing::Values(11),
                         [](const auto& info) { return "Outlook" + std::to_string(info.param); });

}  // namespace
}  // namespace sealwing::mailstore
