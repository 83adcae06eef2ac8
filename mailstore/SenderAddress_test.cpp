#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "mailstore/OutlookActions.h"
#include "mailstore/testdata/MailStoreCases.h"
#include "settings/SettingsStore.h"
#include "tests/OutlookWorld.h"

namespace sealwing::mailstore {
namespace {

using outlook::Ref;
using testing::Occurrences;

constexpr const wchar_t* kUser = L"sim.user@example.com";  // the simulated profile's user
constexpr const wchar_t* kBossDn = L"/o=Org/ou=Site/cn=Recipients/cn=boss";

constexpr const char* kSenderScope = "[MAPI] Getting sender information in OutlookActions.cpp(135)\n";
constexpr const char* kTrySendUsing = "Trying to get sender info from pMail->SendUsingAccount->SmtpAddress\n";
constexpr const char* kTryStamp = "Trying to get sender info from 0x8581 property\n";
constexpr const char* kTryUser = "Trying to get sender info from pCurrentUser->Address\n";
constexpr const char* kTryExchangeUser =
    "Info is in non SMTP format. Trying pCurrentUser->AddressEntry->ExchangeUser->PrimarySmtpAddress\n";
constexpr const char* kAllFailed = "WARNING! All attempts to retrieve sender info failed!\n";
constexpr const char* kDeepScope = "Getting deep info about account address in OutlookActions.cpp(109)\n";
constexpr const char* kReceiverScope = "[MAPI] Retrieving info about message receiver in OutlookActions.cpp(342)\n";
constexpr const char* kTryReceivedBy =
    "pMail->SendUsingAccount->SmtpAddress failed. Retrieving PR_RECEIVED_BY_EMAIL_ADDRESS_W\n";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class SenderAddressFixture : public ::testing::Test {
protected:
    explicit SenderAddressFixture(int majorVersion) : world_(majorVersion, testing::LocalServiceUse::None) {
        diagnostics::OpenThreadLog(L"Main");
    }

    sim::SimOutlook& Outlook() { return world_.Outlook(); }
    Ref<sim::SimAccount> Account(std::wstring name, std::wstring smtp, std::optional<std::uint32_t> id = {},
                                 std::wstring currentUser = {}) {
        return Outlook().AddAccount({.type = outlook::olPop3,
                                     .displayName = std::move(name),
                                     .smtpAddress = std::move(smtp),
                                     .currentUserAddress = std::move(currentUser),
                                     .accountId = id});
    }
    Ref<sim::SimMailItem> Draft(const std::wstring& stamp = {}, const Ref<sim::SimAccount>& account = nullptr) {
        auto draft = Outlook().CreateMailItem();
        if (!stamp.empty()) draft->SetAccountStamp(stamp);
        draft->UseAccount(account);
        return draft;
    }
    void Map(std::wstring_view exchangeAddress, std::wstring_view email) {
        settings::SettingsStore::Instance().SetMappedAddress(exchangeAddress, email);
    }
    // Runs the resolver and keeps what it wrote to the log.
    template <class Resolve>
    std::wstring Resolved(Resolve&& resolve) {
        const std::size_t before = diagnostics::CollectAllLogs().size();
        std::wstring address = resolve();
        log_ = diagnostics::CollectAllLogs().substr(before);
        return address;
    }
    std::wstring Sender(const Ref<sim::SimMailItem>& mail) {
        return Resolved([&] { return GetSenderAddress(mail); });
    }
    std::wstring Receiver(const Ref<sim::SimMailItem>& mail) {
        return Resolved([&] { return GetReceiverAddress(mail); });
    }

    testing::OutlookWorld world_;
    std::string log_;
};

// The chains that differ by version: the sending account from 2007 on, display names from 2010 on.
class SenderAddressTest : public SenderAddressFixture, public ::testing::WithParamInterface<int> {
protected:
    SenderAddressTest() : SenderAddressFixture(GetParam()) {}
    int Version() const { return GetParam(); }
};

// What reads alike in every version (the stamp through MAPI, the session), once on Outlook 2010.
class SenderAddressOnceTest : public SenderAddressFixture {
protected:
    SenderAddressOnceTest() : SenderAddressFixture(14) {}
};

TEST_P(SenderAddressTest, TheSenderComesFromTheFirstSourceThatAnswers) {
    const auto home = Account(L"Home", L"home@example.com", 7);
    const auto work = Account(L"Work", L"work@example.com", 8);
    struct Case {
        const char* name;
        const wchar_t* stamp;
        Ref<sim::SimAccount> account;
        const wchar_t* before2007;  // Outlook 2003 has no SendUsingAccount
        const wchar_t* from2007;
    };
    const Case cases[] = {
        {"chosen account and stamp", L"00000007", work, L"home@example.com", L"work@example.com"},
        {"stamp only", L"00000008", nullptr, L"work@example.com", L"work@example.com"},
        {"neither", L"", nullptr, kUser, kUser},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sender(Draft(c.stamp, c.account)), Version() == 11 ? c.before2007 : c.from2007) << c.name;
        EXPECT_TRUE(Contains(log_, kSenderScope)) << c.name;
        EXPECT_EQ(Contains(log_, kTrySendUsing), Version() > 11) << c.name;
        EXPECT_FALSE(Contains(log_, "WARNING!")) << c.name;
    }
    // Without a stamp no account list is needed: the steps follow each other directly.
    EXPECT_TRUE(
        Contains(log_, std::string(kSenderScope) + (Version() > 11 ? kTrySendUsing : "") + kTryStamp + kTryUser));
}

TEST_F(SenderAddressOnceTest, TheStampsFirstEightCharactersNameTheAccountInDecimal) {
    Account(L"Seven", L"seven@example.com", 7);
    Account(L"Big", L"big@example.com", 12345678);
    // No account 0 yet: a stamp without digits names none, and the current user answers.
    EXPECT_EQ(Sender(Draft(L"{ABCDEF01-...}")), kUser);
    EXPECT_TRUE(Contains(log_, std::string(kTryStamp) + kTryUser));

    Account(L"Zero", L"zero@example.com", 0);
    struct Case {
        const wchar_t* stamp;
        const wchar_t* address;
    };
    const Case cases[] = {
        {L"00000007\\{0123}", L"seven@example.com"}, {L"  +7 and more", L"seven@example.com"},
        {L"000000071", L"seven@example.com"},  // the ninth character is not read
        {L"123456789", L"big@example.com"},          {L"-0000000", L"zero@example.com"},
        {L"account 7", L"zero@example.com"},         {L"0x7", L"zero@example.com"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sender(Draft(c.stamp)), c.address) << platform::Utf8FromWide(c.stamp);
        EXPECT_FALSE(Contains(log_, kTryUser)) << platform::Utf8FromWide(c.stamp);
    }
}

TEST_P(SenderAddressTest, AStampedAccountWithoutAnAddressIsAskedByDisplayNameFromOutlook2010) {
    Account(L"Deep", L"", 5, L"first@example.com");
    Account(L"Deep", L"", 6, L"second@example.com");  // the last account of that name answers

    EXPECT_EQ(Sender(Draft(L"00000005")), Version() >= 14 ? L"second@example.com" : kUser);
    EXPECT_TRUE(Contains(log_, kDeepScope));
    EXPECT_EQ(Contains(log_, kTryUser), Version() < 14);

    sim::SimOutlook& outlook = Outlook();
    EXPECT_EQ(GetAccountAddressByDisplayName(outlook.Application(), OutlookAccount{.displayName = L"Nobody"}), L"");
    EXPECT_EQ(GetAccountAddressByDisplayName(outlook.Application(), OutlookAccount{.displayName = L"deep"}), L"")
        << "display names compare exactly";
}

TEST_P(SenderAddressTest, AnExchangeCurrentUserGoesThroughItsExchangeUserOrTheMapping) {
    const auto user = [](int userType, std::wstring primary) {
        return sim::AddressBookEntry{L"Boss", kBossDn, L"EX", userType, std::move(primary), {}};
    };
    // Outlook 2007 on asks the Exchange user; Outlook 2003 goes straight to the mapping, which knows nothing yet.
    Outlook().Session()->SetCurrentUser(user(0, L"boss@corp.example"));
    EXPECT_EQ(Sender(Draft()), Version() > 11 ? L"boss@corp.example" : L"");
    EXPECT_EQ(Contains(log_, kTryExchangeUser), Version() > 11);
    EXPECT_EQ(Contains(log_, kAllFailed), Version() == 11);
    EXPECT_EQ(Contains(log_, platform::Utf8FromWide(kBossDn) + " is not an email! Verifying LDAP table\n" +
                                 "LDAP response is \n"),
              Version() == 11);

    Map(kBossDn, L"mapped@corp.example");
    EXPECT_EQ(Sender(Draft()), Version() > 11 ? L"boss@corp.example" : L"mapped@corp.example");
    EXPECT_EQ(Contains(log_, "LDAP response is mapped@corp.example\n"), Version() == 11);

    // An Exchange entry that is no Exchange user (a distribution list) keeps its name for the mapping.
    Outlook().Session()->SetCurrentUser(user(1, L"list@corp.example"));
    EXPECT_EQ(Sender(Draft()), L"mapped@corp.example");
    EXPECT_FALSE(Contains(log_, "WARNING!"));
}

TEST_F(SenderAddressOnceTest, AMissingSessionOrCurrentUserEndsInTheWarning) {
    const auto loggedOff = Draft();
    loggedOff->SetSessionAvailable(false);
    EXPECT_EQ(Sender(loggedOff), L"");
    EXPECT_TRUE(Contains(
        log_, std::string(kTryUser) + "pMail->Session is NULL. Is user logged out from Exchange?\n" + kAllFailed));

    Outlook().Session()->SetCurrentUser(std::nullopt);
    EXPECT_EQ(Sender(Draft()), L"");
    EXPECT_TRUE(Contains(log_, std::string(kTryUser) + "Session->CurrentUser is NULL\n" + kAllFailed));
}

TEST_F(SenderAddressOnceTest, FailedStampReadsAreLoggedAndTheChainGoesOn) {
    Account(L"Home", L"home@example.com", 7);
    struct Case {
        const wchar_t* member;
        const char* line;
    };
    for (const Case c : {Case{L"Message.GetIDsFromNames", "line 214, error 80004005\n"},
                         Case{L"Message.GetProps", "line 211, error 80004005\n"}}) {
        Outlook().FailMember(c.member, outlook::hr::E_Fail, L"", 1);
        EXPECT_EQ(Sender(Draft(L"00000007")), kUser) << platform::Utf8FromWide(c.member);
        EXPECT_EQ(Occurrences(log_, std::string("[ERROR] COM error. File OutlookActions.cpp, ") + c.line), 1u)
            << platform::Utf8FromWide(c.member);
        EXPECT_TRUE(Contains(log_, kTryUser));
    }
    // A message without a stamp, in a store that knows the stamp's name, reads it with a warning: no error.
    EXPECT_EQ(Sender(Draft()), kUser);
    EXPECT_FALSE(Contains(log_, "[ERROR]"));
}

TEST_P(SenderAddressTest, TheReceiverIsTheReceivingAccountOrTheMailboxItWasDeliveredTo) {
    const auto work = Account(L"Work", L"work@example.com");
    const auto mail = Outlook().AddReceivedMail({.subject = L"Hi", .to = {L"me@home.example"}});

    EXPECT_EQ(Receiver(mail), L"me@home.example");
    EXPECT_TRUE(Contains(log_, std::string(kReceiverScope) + kTryReceivedBy));

    mail->UseAccount(work);
    EXPECT_EQ(Receiver(mail), Version() > 11 ? L"work@example.com" : L"me@home.example");
    EXPECT_EQ(Contains(log_, kTryReceivedBy), Version() == 11);

    // An Exchange mailbox is delivered to under its distinguished name, which the mapping turns into an address.
    mail->UseAccount(nullptr);
    mail->SetReceivedByAddress(kBossDn);
    EXPECT_EQ(Receiver(mail), L"");
    Map(kBossDn, L"boss@corp.example");
    EXPECT_EQ(Receiver(mail), L"boss@corp.example");

    mail->SetReceivedByAddress(L"");
    EXPECT_EQ(Receiver(mail), L"");
    const std::string failed = "Getting PR_RECEIVED_BY_EMAIL_ADDRESS_W failed. Error code is 8004010f";
    ASSERT_TRUE(Contains(log_, failed));
    EXPECT_FALSE(Contains(log_, failed + "\n")) << "the line has no line end";
}

TEST_P(SenderAddressTest, ARecipientsSmtpAddressComesFromItsExchangeUserOrItsAddressBookProperties) {
    cases::AddExchangeEntries(Outlook());
    // The recipients of a received message, resolved as the callers meet them.
    sim::ReceivedMailSetup setup;
    for (const cases::RecipientCase& c : cases::RecipientAddresses()) setup.to.push_back(c.recipient);
    const Ref<outlook::Recipients> recipients = Outlook().AddReceivedMail(setup)->Recipients();
    for (int index = 1; const cases::RecipientCase& c : cases::RecipientAddresses()) {
        EXPECT_EQ(GetRecipientSmtpAddress(recipients->Item(index++)), c.address) << platform::Utf8FromWide(c.recipient);
    }
    // Typed names are resolved first.
    const auto draft = Outlook().CreateMailItem();
    EXPECT_EQ(GetRecipientSmtpAddress(draft->Recipients()->Add(L"ANN")), L"ann@corp.example");
    EXPECT_EQ(GetRecipientSmtpAddress(draft->Recipients()->Add(L"Nobody")), L"");
}

INSTANTIATE_TEST_SUITE_P(Outlook, SenderAddressTest, ::testing::Values(11, 12, 14),
                         [](const auto& info) { return "Outlook" + std::to_string(info.param); });

}  // namespace
}  // namespace sealwing::mailstore
