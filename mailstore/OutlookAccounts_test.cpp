#include "mailstore/OutlookAccounts.h"

#include <gtest/gtest.h>

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
    ObjectModelAccountsTest() : world_(GetParam()) {
        auto& outlook = world_.Outlook();
        outlook.AddAccount({.type = outlook::olPop3, .displayName = L"Home", .smtpAddress = L"ann@home.example"});
        outlook.AddAccount({.type = outlook::olImap, .displayName = L"Work IMAP", .smtpAddress = L"ann@work.example"});
        outlook.AddAccount({.type = outlook::olExchange, .displayName = L"Exchange",
                            .currentUserAddress = L"ann@corp.example"});
        outlook.AddAccount({.type = outlook::olExchange, .displayName = L"Old Exchange",
                            .currentUserAddress = L"/o=Corp/ou=First/cn=Recipients/cn=ann"});
        outlook.AddAccount({.type = outlook::olImap, .displayName = L"Google Apps - ann@apps.example"});
    }

    testing::OutlookWorld world_;
};

TEST_P(ObjectModelAccountsTest, EveryAccountWithAnAddressInOutlooksOrder) {
    const std::vector<OutlookAccount> accounts =
        ListObjectModelAccounts(world_.Outlook().Application(), GetParam());

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

}  // namespace
}  // namespace sealwing::mailstore
