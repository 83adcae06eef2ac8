#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/Registry.h"
#include "service/ServiceOperations.h"
#include "tests/OutlookWorld.h"

namespace sealwing::settings {
namespace {

using localservice::Endpoint;
using localservice::Fault;

class SettingsStoreTest : public ::testing::Test {
protected:
    SettingsStoreTest() {
        Store().SetStandingCheck(&service::IsProAccount);
        world_.Service().State().AddAccount({.email = "pro@example.com", .password = "pw", .type = "pro"});
        world_.Service().State().AddAccount({.email = "free@example.com", .password = "pw", .type = "free"});
        world_.Service().State().AddAccount({.email = "pro2@example.com", .password = "pw", .type = "pro"});
    }

    static SettingsStore& Store() { return SettingsStore::Instance(); }
    static platform::Registry& Registry() { return platform::TheRegistry(); }
    std::size_t Requests() { return world_.Service().Requests().Count(); }

    testing::OutlookWorld world_{14};
};

TEST_F(SettingsStoreTest, ANewAccountGetsTheDefaultsAndAnExpiryThatDependsOnItsStanding) {
    struct Case {
        const wchar_t* email;
        std::optional<Fault> fault;
        std::int32_t destruct;
    };
    const std::vector<Case> cases = {
        {L"pro@example.com", std::nullopt, 0},
        {L"free@example.com", std::nullopt, 7},
        {L"nobody@example.com", std::nullopt, 7},
        {L"pro2@example.com", Fault{.drop = localservice::Drop::BeforeReply}, 7},  // unreachable: as if free
    };
    for (const Case& c : cases) {
        if (c.fault) world_.Service().Faults().Set(Endpoint::CheckUser, *c.fault);
        const AccountSettings& record = Store().SettingsFor(c.email);
        EXPECT_EQ(record.destruct, c.destruct) << platform::Utf8FromWide(c.email);
        EXPECT_EQ(record.alert, 0);
        EXPECT_EQ(record.cc, 0);
        EXPECT_EQ(record.place, 0);
        EXPECT_EQ(record.imapWarning, 1);
        EXPECT_FALSE(record.dirty);
    }
    EXPECT_EQ(Requests(), cases.size());
    EXPECT_FALSE(Registry().KeyExists(kProductKey));  // nothing is written until a record is saved
}

TEST_F(SettingsStoreTest, WithoutAStandingCheckReadingSettingsAsksNobody) {
    Store().ResetForTests();
    EXPECT_EQ(Store().SettingsFor(L"pro@example.com").destruct, 7) << "the default of an account nobody vouches for";
    EXPECT_EQ(Requests(), 0U);
}

TEST_F(SettingsStoreTest, WrittenSettingsSurviveARestartAndAStoredExpiryNeedsNoRequest) {
    AccountSettings& record = Store().SettingsFor(L"free@example.com");
    EXPECT_EQ(&Store().SettingsFor(L"free@example.com"), &record);  // one record per account for the run
    record.alert = 1;
    record.destruct = 30;
    record.imapWarning = 0;
    record.dirty = true;
    Store().WriteSettings(record);
    EXPECT_FALSE(record.dirty);
    const std::wstring key = std::wstring(kProductKey) + L"\\free@example.com";
    EXPECT_EQ(Registry().ReadDword(key, L"Destruct"), std::optional<std::uint32_t>(30));
    EXPECT_EQ(Registry().ReadDword(key, L"Place"), std::optional<std::uint32_t>(0));

    Store().ResetForTests();
    const std::size_t requestsBefore = Requests();
    const AccountSettings& reread = Store().SettingsFor(L"free@example.com");
    EXPECT_EQ(Requests(), requestsBefore);
    EXPECT_EQ(reread.alert, 1);
    EXPECT_EQ(reread.destruct, 30);
    EXPECT_EQ(reread.imapWarning, 0);
}

// The registry ignores case in key names, the caches do not.
TEST_F(SettingsStoreTest, AddressesDifferingOnlyInCaseAreTwoRecordsOverOneKey) {
    AccountSettings& lower = Store().SettingsFor(L"free@example.com");
    AccountSettings& upper = Store().SettingsFor(L"FREE@example.com");
    EXPECT_NE(&lower, &upper);
    upper.cc = 1;
    upper.dirty = true;
    Store().WriteSettings(upper);
    EXPECT_EQ(lower.cc, 0);

    Store().ResetForTests();
    EXPECT_EQ(Store().SettingsFor(L"free@example.com").cc, 1);
}

TEST_F(SettingsStoreTest, ExchangeAddressesMapByTheirUpperCasedPathAndSurviveARestart) {
    struct Case {
        const wchar_t* address;
        const wchar_t* name;
    };
    for (const Case c : {Case{L"/o=Org/ou=First/cn=Recipients/cn=ann", L"/O=ORG/OU=FIRST/CN=RECIPIENTS/CN=ANN"},
                         Case{L"ex:/o=Org/cn=bob", L"/O=ORG/CN=BOB"}, Case{L"plain", L"PLAIN"}}) {
        EXPECT_EQ(MappingName(c.address), c.name);
    }

    EXPECT_EQ(Store().MappedAddress(L"/o=Org/cn=ann"), L"");
    EXPECT_EQ(Store().CachedMappingCount(), 0u);  // an empty answer is not cached
    Store().SetMappedAddress(L"/o=Org/cn=ann", L"ann@example.com");
    Store().SetMappedAddress(L"/O=ORG/CN=ANN", L"ann@corp.example.com");
    EXPECT_EQ(Store().MappedAddress(L"/o=org/cn=Ann"), L"ann@corp.example.com");

    Store().ResetForTests();
    EXPECT_EQ(Store().MappedAddress(L"/o=Org/cn=ann"), L"ann@corp.example.com");
    EXPECT_EQ(Registry().ValueNames(kMappingKey), std::vector<std::wstring>{L"/O=ORG/CN=ANN"});

    // No address is no name: it must not read or write the key's default value, whatever that holds.
    ASSERT_TRUE(Registry().WriteString(kMappingKey, L"", L"someone@else.example"));
    EXPECT_EQ(Store().MappedAddress(L""), L"");
    Store().SetMappedAddress(L"", L"unreadable@example.com");
    EXPECT_EQ(Registry().ReadString(kMappingKey, L""), std::optional<std::wstring>(L"someone@else.example"));
}

TEST_F(SettingsStoreTest, ANewUsersChoiceToSilenceTheWarningsIsKept) {
    ASSERT_FALSE(Registry().KeyExists(kProductKey));
    EXPECT_FALSE(Store().SuppressUnregisteredWarnings());
    Store().SetSuppressUnregisteredWarnings();
    EXPECT_TRUE(Store().SuppressUnregisteredWarnings());

    Store().ResetForTests();
    EXPECT_TRUE(Store().SuppressUnregisteredWarnings());
    EXPECT_EQ(Registry().ReadDword(kProductKey, L"SupressUnregWarnings"), std::optional<std::uint32_t>(1));
}

TEST(DestructChoices, PositionsGiveTheirDaysAndAnythingElseNever) {
    EXPECT_EQ(DestructDaysOfChoice(0), 0);
    EXPECT_EQ(DestructDaysOfChoice(5), 14);
    EXPECT_EQ(DestructDaysOfChoice(10), 365);
    EXPECT_EQ(DestructDaysOfChoice(11), 0);
    EXPECT_EQ(DestructDaysOfChoice(-1), 0);
}

}  // namespace
}  // namespace sealwing::settings
