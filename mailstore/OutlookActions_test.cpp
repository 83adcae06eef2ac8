#include "mailstore/OutlookActions.h"

#include <gtest/gtest.h>

#include "mailstore/testdata/MailStoreCases.h"
#include "tests/OutlookWorld.h"

namespace sealwing::mailstore {
namespace {

using testing::Occurrences;

constexpr const char* kFailureText =
    "There was an error while attempting to delete your secure message from drafts folder.\nPlease contact support";

// Deletion and header reading take the same MAPI path in every Outlook version: one version shows it.
class OutlookActionsTest : public ::testing::Test {
protected:
    OutlookActionsTest() { diagnostics::OpenThreadLog(L"Main"); }

    sim::SimOutlook& Outlook() { return world_.Outlook(); }
    bool InFolder(outlook::DefaultFolder folder, const outlook::Ref<sim::SimMailItem>& item) {
        const auto& items = Outlook().Folder(folder)->Items();
        return std::find(items.begin(), items.end(), item) != items.end();
    }
    outlook::Ref<sim::SimMailItem> Received(std::wstring headers) {
        return Outlook().AddReceivedMail({.subject = L"Hi", .transportHeaders = std::move(headers)});
    }

    testing::OutlookWorld world_{14, testing::LocalServiceUse::None};
};

TEST_F(OutlookActionsTest, ANeverSavedDraftIsSavedThenDeletedPastDeletedItems) {
    const auto draft = Outlook().CreateMailItem();
    draft->SetSubject(L"secure");
    EXPECT_TRUE(DeleteMessagePermanently(draft));

    EXPECT_TRUE(draft->IsSaved());
    EXPECT_FALSE(InFolder(outlook::olFolderDrafts, draft));
    EXPECT_TRUE(Outlook().Folder(outlook::olFolderDeletedItems)->Items().empty());
    EXPECT_TRUE(Outlook().User().Shown().empty());
    EXPECT_NE(diagnostics::CollectAllLogs().find("[MAPI] Deleting message permanently in OutlookActions.cpp(267)\n"),
              std::string::npos);
}

TEST_F(OutlookActionsTest, AFailureInTheStoreLeavesTheMessageAndTellsTheUserOnce) {
    for (const cases::DeletionFailure& c : cases::DeletionFailures()) {
        const auto draft = Outlook().CreateMailItem();
        const std::size_t boxesBefore = Outlook().User().Shown().size();
        Outlook().FailMember(c.member, outlook::hr::E_Fail, L"", 1);

        EXPECT_FALSE(DeleteMessagePermanently(draft)) << platform::Utf8FromWide(c.member);

        EXPECT_TRUE(InFolder(outlook::olFolderDrafts, draft)) << platform::Utf8FromWide(c.member);
        ASSERT_EQ(Outlook().User().Shown().size(), boxesBefore + 1);
        const platform::MessageBoxRequest& box = Outlook().User().Shown().back().request;
        EXPECT_EQ(box.text, platform::WideFromUtf8(kFailureText));
        EXPECT_EQ(box.caption, L"Parcelon for Microsoft Outlook");
        EXPECT_EQ(box.icon, platform::MessageBoxIcon::Error);
        EXPECT_TRUE(box.taskModal);
        EXPECT_EQ(box.owner, platform::kNoWindow);
        EXPECT_EQ(Occurrences(diagnostics::CollectAllLogs(), c.line), 1u);
    }
}

TEST_F(OutlookActionsTest, AHeaderIsFoundOnlyAtTheStartOfALine) {
    for (const cases::HeaderCase& c : cases::MessageIdHeaders()) {
        EXPECT_EQ(GetInternetHeaderValue(kMessageIdHeader, Received(c.headers)), c.value) << c.name;
    }
    EXPECT_EQ(GetInternetHeaderValue(kMessageIdHeader, Outlook().CreateMailItem()), L"");  // never transported
    EXPECT_EQ(GetInternetHeaderValue(kMessageIdHeader, nullptr), L"");

    EXPECT_TRUE(IsServiceCopy(Received(L"X-Parcelon-Copy: TRUE\r\n")));
    EXPECT_FALSE(IsServiceCopy(Received(L"X-Parcelon-Copy: true \r\n")));
    EXPECT_FALSE(IsServiceCopy(Received(L"Subject: x-parcelon-copy: true\r\n")));
}

}  // namespace
}  // namespace sealwing::mailstore
