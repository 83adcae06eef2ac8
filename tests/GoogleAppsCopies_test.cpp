#include <gtest/gtest.h>

#include <algorithm>

#include "addin/SealwingAddin.h"
#include "settings/SettingsStore.h"
#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

constexpr const wchar_t* kStore = L"Google Apps - ann@example.com";
constexpr const wchar_t* kAddress = L"ann@example.com";
constexpr const wchar_t* kCopyHeaders = L"From: ann@example.com\r\nX-Parcelon-Copy: true\r\nSubject: Q3\r\n";

// The service's copies of the user's own secure messages arriving in a Google Apps store.
class GoogleAppsCopiesTest : public ::testing::TestWithParam<int> {
protected:
    GoogleAppsCopiesTest() : world_(GetParam()) {
        world_.Service().State().AddAccount({.email = "ann@example.com", .password = "pw", .type = "pro"});
        auto& outlook = world_.Outlook();
        outlook.AddStore(kStore);
        outlook.AddAccount(
            {.type = outlook::olImap, .displayName = kStore, .smtpAddress = kAddress, .deliveryStore = kStore});
        outlook.OpenExplorer();
        EXPECT_EQ(addin_.OnConnection(outlook.Application(), outlook::ext_cm_Startup), 0);
        addin_.SetHasGoogleAppsAccount(true);
    }
    ~GoogleAppsCopiesTest() override { addin_.OnDisconnection(outlook::ext_dm_HostShutdown); }

    void Settings(int place, int cc) {
        settings::AccountSettings& record = settings::SettingsStore::Instance().SettingsFor(kAddress);
        record.place = place;
        record.cc = cc;
    }
    outlook::Ref<sim::SimMailItem> Arrives(const wchar_t* headers = kCopyHeaders,
                                           outlook::DefaultFolder folder = outlook::olFolderInbox,
                                           const wchar_t* store = kStore) {
        auto item = world_.Outlook().AddReceivedMail(
            {.subject = L"Q3", .transportHeaders = std::wstring(headers), .folder = folder, .store = store});
        world_.Outlook().DeliverNewMail({item});
        return item;
    }
    bool Kept(const outlook::Ref<sim::SimMailItem>& item, outlook::DefaultFolder folder = outlook::olFolderInbox,
              const wchar_t* store = kStore) {
        const auto& items = world_.Outlook().Folder(folder, store)->Items();
        return std::find(items.begin(), items.end(), item) != items.end();
    }
    // From Outlook 2010 on: the accounts of 2003 and 2007 have no delivery store to find the Sent folder in, and
    // asking for it would log an automation error at every new mail.
    bool Handled() const { return GetParam() >= 14; }

    testing::OutlookWorld world_;
    CSealwingAddin addin_;
};

TEST_P(GoogleAppsCopiesTest, ACopyIsMarkedReadAndDeletedUnlessTheAccountAsksForCopies) {
    Settings(1, 0);
    const auto deleted = Arrives();
    EXPECT_EQ(Kept(deleted), !Handled());
    EXPECT_EQ(deleted->UnRead(), !Handled());

    Settings(1, 1);
    const auto kept = Arrives();
    EXPECT_TRUE(Kept(kept));
    EXPECT_EQ(kept->UnRead(), !Handled());
    EXPECT_TRUE(world_.Outlook().User().Shown().empty());
    EXPECT_EQ(world_.LogFile("Main").find("[ERROR] COM exception"), std::string::npos);
}

TEST_P(GoogleAppsCopiesTest, WhatIsNoQualifyingCopyIsLeftUntouched) {
    Settings(0, 0);
    const auto notPlaced = Arrives();
    Settings(1, 0);
    const auto ordinary = Arrives(L"Subject: about x-parcelon-copy: true\r\n");
    const auto inSent = Arrives(kCopyHeaders, outlook::olFolderSentMail);
    const auto elsewhere = Arrives(kCopyHeaders, outlook::olFolderInbox, L"");

    EXPECT_TRUE(Kept(notPlaced));
    EXPECT_TRUE(Kept(ordinary));
    EXPECT_TRUE(Kept(inSent, outlook::olFolderSentMail));
    EXPECT_TRUE(Kept(elsewhere, outlook::olFolderInbox, L""));
    for (const auto& item : {notPlaced, ordinary, inSent, elsewhere}) EXPECT_TRUE(item->UnRead());
}

TEST_P(GoogleAppsCopiesTest, WithoutAGoogleAppsAccountNewMailIsNotLookedAt) {
    addin_.SetHasGoogleAppsAccount(false);
    Settings(1, 0);
    const auto copy = Arrives();
    EXPECT_TRUE(Kept(copy));
    EXPECT_TRUE(copy->UnRead());
}

// An account without a delivery store has no Sent folder to compare with: Outlook answers Nothing, the copy is left
// as it is and the handler logs the one automation error.
TEST_P(GoogleAppsCopiesTest, AnAccountWithoutADeliveryStoreLeavesTheCopyAlone) {
    constexpr const wchar_t* kStorelessStore = L"Google Apps - cy@example.com";
    world_.Outlook().AddStore(kStorelessStore);
    world_.Outlook().AddAccount({.type = outlook::olImap,
                                 .displayName = kStorelessStore,
                                 .smtpAddress = L"cy@example.com",
                                 .noDeliveryStore = true});
    settings::AccountSettings& record = settings::SettingsStore::Instance().SettingsFor(L"cy@example.com");
    record.place = 1;
    record.cc = 0;

    const auto copy = Arrives(kCopyHeaders, outlook::olFolderInbox, kStorelessStore);

    EXPECT_TRUE(Kept(copy, outlook::olFolderInbox, kStorelessStore));
    EXPECT_TRUE(copy->UnRead());
    EXPECT_EQ(testing::Occurrences(world_.LogFile("Main"),
                                   "[ERROR] COM exception. Code 80004003. Description \"Account.DeliveryStore is "
                                   "Nothing\"\n"),
              Handled() ? 1U : 0U);
}

INSTANTIATE_TEST_SUITE_P(Outlook, GoogleAppsCopiesTest, ::testing::Values(11, 12, 14),
                         [](const auto& info) { return "Outlook" + std::to_string(info.param); });

}  // namespace
}  // namespace sealwing
