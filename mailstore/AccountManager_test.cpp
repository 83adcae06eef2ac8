#include "mailstore/AccountManager.h"

#include <gtest/gtest.h>

#include "mailstore/AccountHelper.h"
#include "tests/OutlookWorld.h"

namespace sealwing::mailstore {
namespace {

namespace olk = outlook::olk;

class StubSession : public outlook::mapi::Session {
public:
    outlook::HResult OpenMsgStore(const outlook::mapi::Binary&, outlook::Ref<outlook::mapi::MsgStore>&) override {
        return outlook::hr::E_NotImpl;
    }
    outlook::HResult OpenProfileSection(const outlook::mapi::Guid&,
                                        outlook::Ref<outlook::mapi::ProfileSection>&) override {
        return outlook::hr::E_NotImpl;
    }
};

TEST(CAccountHelperTest, AnswersItsOwnInterfacesAndCountsReferences) {
    const AccountHelperHolder helper(CAccountHelper::Create(L"Outlook", nullptr));
    olk::AccountHelper* asked = nullptr;
    EXPECT_EQ(helper->QueryInterface(olk::IID_IOlkAccountHelper, &asked), outlook::hr::S_Ok);
    EXPECT_EQ(asked, helper.get());
    EXPECT_EQ(helper->QueryInterface(olk::IID_IUnknown, &asked), outlook::hr::S_Ok);
    EXPECT_EQ(helper->QueryInterface(olk::CLSID_OlkMail, &asked), outlook::hr::E_NoInterface);
    EXPECT_EQ(asked, nullptr);
    // The creator's reference and the two the queries added.
    EXPECT_EQ(helper->AddRef(), 4u);
    EXPECT_EQ(helper->Release(), 3u);
    EXPECT_EQ(helper->Release(), 2u);
    EXPECT_EQ(helper->Release(), 1u);
    EXPECT_EQ(helper->PlaceHolder1(), outlook::hr::E_NotImpl);
    EXPECT_EQ(helper->HandsOffSession(), outlook::hr::E_NotImpl);
}

TEST(CAccountHelperTest, GivesTheProfileNameWithItsTerminatorOnlyIntoARoomyBuffer) {
    const AccountHelperHolder helper(CAccountHelper::Create(L"Outlook", nullptr));
    EXPECT_EQ(helper->GetIdentity(nullptr, nullptr), outlook::hr::E_InvalidArg);

    std::uint32_t count = 7;  // one short: no room for the terminator
    wchar_t buffer[16] = L"untouched";
    EXPECT_EQ(helper->GetIdentity(buffer, &count), outlook::hr::E_OutOfMemory);
    EXPECT_EQ(count, 8u);
    EXPECT_STREQ(buffer, L"untouched");

    count = 16;
    EXPECT_EQ(helper->GetIdentity(buffer, &count), outlook::hr::S_Ok);
    EXPECT_EQ(count, 8u);
    EXPECT_STREQ(buffer, L"Outlook");

    count = 16;
    EXPECT_EQ(helper->GetIdentity(nullptr, &count), outlook::hr::E_InvalidArg);

    const AccountHelperHolder unnamed(CAccountHelper::Create(L"", nullptr));
    count = 16;
    EXPECT_EQ(unnamed->GetIdentity(buffer, &count), outlook::hr::E_InvalidArg);
}

TEST(CAccountHelperTest, HandsOutTheSessionItHolds) {
    const auto session = std::make_shared<StubSession>();
    const AccountHelperHolder helper(CAccountHelper::Create(L"Outlook", session));
    outlook::Ref<outlook::mapi::Session> given;
    EXPECT_EQ(helper->GetMapiSession(nullptr), outlook::hr::E_InvalidArg);
    EXPECT_EQ(helper->GetMapiSession(&given), outlook::hr::S_Ok);
    EXPECT_EQ(given, session);

    const AccountHelperHolder sessionless(CAccountHelper::Create(L"Outlook", nullptr));
    EXPECT_EQ(sessionless->GetMapiSession(&given), outlook::hr::E_NotImpl);
}

// The service's view of a profile with one account of each kind the add-in tells apart.
class AccountManagerTest : public ::testing::Test {
protected:
    AccountManagerTest() : world_(11, testing::LocalServiceUse::None) {
        auto& outlook = world_.Outlook();
        outlook.AddAccount({.type = outlook::olPop3, .displayName = L"Home", .smtpAddress = L"ann@home.example"});
        work_ = outlook.AddAccount({.type = outlook::olExchange,
                                    .displayName = L"Work",
                                    .currentUserAddress = L"/o=Corp/ou=First/cn=Recipients/cn=ann",
                                    .accountId = 7});
        outlook.AddAccount({.type = outlook::olOtherAccount,
                            .displayName = L"Google Apps - ann@apps.example",
                            .smtpAddress = L"ignored@apps.example",
                            .provider = L"GSync",
                            .providerAddresses = L"ann@apps.example;team@apps.example"});
    }

    std::optional<std::vector<AccountManagerRecord>> Read() {
        return ReadAccountManagerAccounts(L"Outlook", world_.Outlook().Application());
    }

    testing::OutlookWorld world_;
    outlook::Ref<sim::SimAccount> work_;
};

TEST_F(AccountManagerTest, ReadsEveryMailAccountInTheServicesOrder) {
    const auto records = Read();
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 3u);

    const AccountManagerRecord& home = (*records)[0];
    EXPECT_EQ(home.id, 1);
    EXPECT_EQ(home.name, L"Home");
    EXPECT_EQ(home.isExchange, 0u);
    EXPECT_EQ(home.emailAddress, L"ann@home.example");
    EXPECT_EQ(home.typeText, L"POP3");

    const AccountManagerRecord& work = (*records)[1];
    EXPECT_EQ(work.id, 7);
    EXPECT_EQ(work.isExchange, 1u);
    EXPECT_EQ(work.exchangeAddress, L"/o=Corp/ou=First/cn=Recipients/cn=ann");
    EXPECT_EQ(work.emailAddress, L"");

    // Google Apps Sync: the first of the provider's addresses, whatever the account's own address says.
    const AccountManagerRecord& apps = (*records)[2];
    EXPECT_EQ(apps.id, 8);
    EXPECT_EQ(apps.typeText, L"GSYNC");
    EXPECT_EQ(apps.emailAddress, L"ann@apps.example");
}

TEST_F(AccountManagerTest, AnAccountThatCannotBeFetchedKeepsAnEmptyRecord) {
    world_.Outlook().FailMember(L"OlkEnum.GetNext", outlook::hr::E_Fail, L"", 1);
    const auto records = Read();
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 3u);
    EXPECT_EQ((*records)[0].name, L"");
    EXPECT_EQ((*records)[0].id, 0);
    EXPECT_EQ((*records)[1].name, L"Work");
}

TEST_F(AccountManagerTest, AFailingServiceGivesNothingAndNoDefault) {
    for (const wchar_t* member : {L"OlkAccountManager.Create", L"OlkAccountManager.Init",
                                  L"OlkAccountManager.EnumerateAccounts", L"OlkEnum.GetCount"}) {
        world_.Outlook().FailMember(member, outlook::hr::E_Fail, L"", 1);
        EXPECT_FALSE(Read()) << platform::Utf8FromWide(member);
    }
    world_.Outlook().FailMember(L"OlkAccountManager.GetOrder", outlook::hr::E_Fail, L"", 1);
    EXPECT_EQ(GetDefaultMailAccountId(L"Outlook", world_.Outlook().Application()), -1);
    // The service knows the profile by its name; another profile's name is refused.
    EXPECT_FALSE(ReadAccountManagerAccounts(L"Other", world_.Outlook().Application()));
    EXPECT_FALSE(ReadAccountManagerAccounts(L"", world_.Outlook().Application()));
}

TEST_F(AccountManagerTest, TheDefaultAccountIsFirstInTheMailOrder) {
    EXPECT_EQ(GetDefaultMailAccountId(L"Outlook", world_.Outlook().Application()), 1);
    world_.Outlook().SetDefaultMailAccount(work_);
    EXPECT_EQ(GetDefaultMailAccountId(L"Outlook", world_.Outlook().Application()), 7);
}

}  // namespace
}  // namespace sealwing::mailstore
