#include "sim/SimMailItem.h"

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "sim/SimAttachments.h"
#include "sim/SimFolder.h"
#include "sim/SimInspector.h"
#include "sim/SimOutlook.h"
#include "sim/SimProps.h"
#include "sim/SimStore.h"
#include "sim/SimTestSupport.h"

namespace sealwing::sim {
namespace {

using outlook::Ref;
using testing::CodeOf;

class SimMailItemTest : public ::testing::Test {
protected:
    Ref<SimFolder> Drafts() { return sim_.Folder(outlook::olFolderDrafts); }

    platform::ManualClock clock_;
    SimOutlook sim_{SimOptions{}, clock_};
    Ref<outlook::Application> app_ = sim_.Application();
};

TEST_F(SimMailItemTest, ANewItemIsADraftThatGetsItsEntryIdOnTheFirstSave) {
    auto item = sim_.CreateMailItem();
    EXPECT_EQ(item->EntryID(), L"");
    EXPECT_FALSE(item->Sent());
    EXPECT_EQ(item->SentOn(), outlook::kNoDate);
    EXPECT_FALSE(item->UnRead());
    EXPECT_EQ(item->Parent(), Drafts());
    EXPECT_TRUE(Drafts()->Items().empty());
    EXPECT_EQ(item->Application(), app_);
    EXPECT_EQ(item->Session(), app_->Session());

    item->SetSubject(L"Draft");
    item->Save();
    const std::wstring id = item->EntryID();
    EXPECT_FALSE(id.empty());
    EXPECT_EQ(Drafts()->Items(), std::vector<Ref<SimMailItem>>{item});
    EXPECT_EQ(app_->Session()->GetItemFromID(id, L""), item);
    EXPECT_EQ(app_->Session()->GetItemFromID(id, sim_.DefaultStore()->StoreId()), item);

    item->SetBody(L"changed");
    item->Save();
    EXPECT_EQ(item->EntryID(), id);
    EXPECT_EQ(Drafts()->Items().size(), 1u);
    EXPECT_EQ(CodeOf([&] { app_->Session()->GetItemFromID(L"00DEAD", L""); }), outlook::hr::Mapi_E_NotFound);
    EXPECT_EQ(CodeOf([&] { app_->Session()->GetItemFromID(id, L"0011"); }), outlook::hr::Mapi_E_NotFound);
}

TEST_F(SimMailItemTest, CloseWithSaveSavesAndClosesTheInspector) {
    auto item = sim_.CreateMailItem();
    auto inspector = sim_.OpenInspector(item);
    testing::WindowRecorder events;
    inspector->Events().Advise(events);
    item->Close(outlook::olSave);
    EXPECT_TRUE(item->IsSaved());
    EXPECT_TRUE(inspector->IsClosed());
    EXPECT_EQ(events.events, std::vector<std::wstring>{L"Close"});
    EXPECT_EQ(app_->Inspectors()->Count(), 0);
}

TEST_F(SimMailItemTest, ADeletedAttachmentLeavesTheOthersInOrderAndTheItemToSave) {
    auto item = sim_.CreateMailItem();
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"})
        item->AttachmentList()->AddNew(name, "x", outlook::olByValue);
    item->Save();
    ASSERT_FALSE(item->HasUnsavedChanges());

    EXPECT_TRUE(item->AttachmentList()->Remove(2));

    ASSERT_EQ(item->Attachments()->Count(), 2);
    EXPECT_EQ(item->Attachments()->Item(1)->FileName(), L"a.txt");
    EXPECT_EQ(item->Attachments()->Item(2)->FileName(), L"c.txt");
    EXPECT_TRUE(item->HasUnsavedChanges());
    EXPECT_FALSE(item->AttachmentList()->Remove(0));
    EXPECT_FALSE(item->AttachmentList()->Remove(3));
    EXPECT_EQ(item->Attachments()->Count(), 2);
}

TEST_F(SimMailItemTest, RecipientsAddAsToAndResolveByAddressOrAddressBook) {
    sim_.AddAddressBookEntry(AddressBookEntry{L"Bea Jones", L"bea@example.com", L"SMTP", 30, {}, {}});
    auto item = sim_.CreateMailItem();
    auto recipients = item->Recipients();
    auto byAddress = recipients->Add(L"carl@example.org");
    auto byName = recipients->Add(L"bea jones");
    auto unknown = recipients->Add(L"Nobody");
    EXPECT_EQ(recipients->Count(), 3);
    EXPECT_EQ(byAddress->Type(), outlook::olTo);
    EXPECT_EQ(byAddress->Address(), L"") << "unresolved";
    EXPECT_EQ(byAddress->AddressEntry(), nullptr);

    EXPECT_TRUE(byAddress->Resolve());
    EXPECT_EQ(byAddress->Address(), L"carl@example.org");
    EXPECT_TRUE(byName->Resolve());
    EXPECT_EQ(byName->Name(), L"Bea Jones");
    EXPECT_EQ(byName->Address(), L"bea@example.com");
    EXPECT_EQ(byName->AddressEntry()->AddressEntryUserType(), 30);
    EXPECT_EQ(byName->AddressEntry()->GetExchangeUser(), nullptr);
    EXPECT_FALSE(unknown->Resolve());

    byName->SetType(outlook::olCC);
    recipients->Remove(1);
    EXPECT_EQ(recipients->Count(), 2);
    EXPECT_EQ(recipients->Item(1), byName);
    EXPECT_EQ(recipients->Item(1)->Type(), outlook::olCC);
    EXPECT_EQ(CodeOf([&] { recipients->Remove(5); }), outlook::hr::DispE_BadIndex);
}

TEST_F(SimMailItemTest, ExchangeEntriesGiveTheirExchangeUser) {
    sim_.AddAddressBookEntry(
        AddressBookEntry{L"Dan", L"/o=Org/ou=Site/cn=Recipients/cn=dan", L"EX", 0, L"dan@corp.example", {}});
    auto recipient = sim_.CreateMailItem()->Recipients()->Add(L"Dan");
    ASSERT_TRUE(recipient->Resolve());
    auto entry = recipient->AddressEntry();
    EXPECT_EQ(entry->AddressEntryUserType(), 0);
    EXPECT_EQ(entry->Address(), L"/o=Org/ou=Site/cn=Recipients/cn=dan");
    ASSERT_NE(entry->GetExchangeUser(), nullptr);
    EXPECT_EQ(entry->GetExchangeUser()->PrimarySmtpAddress(), L"dan@corp.example");
}

TEST_F(SimMailItemTest, AttachmentsReadAndWriteThroughTheFilesPort) {
    testing::MemoryFiles files;
    files.files[L"/docs/report.pdf"] = "%PDF-bytes";
    platform::Platform ports;
    ports.files = &files;
    platform::ScopedPlatform installed(ports);
    auto item = sim_.CreateMailItem();
    auto attachments = item->Attachments();
    auto attachment = attachments->Add(L"/docs/report.pdf", outlook::olByValue, 1, L"");
    EXPECT_EQ(attachments->Count(), 1);
    EXPECT_EQ(attachment->FileName(), L"report.pdf");
    EXPECT_EQ(attachment->DisplayName(), L"report.pdf");
    EXPECT_EQ(attachment->Type(), outlook::olOLE) << "a new attachment until the item is saved";
    item->Save();
    EXPECT_EQ(attachment->Type(), outlook::olByValue);

    attachment->SaveAsFile(L"/out/copy.pdf");
    EXPECT_EQ(files.files[L"/out/copy.pdf"], "%PDF-bytes");
    EXPECT_EQ(CodeOf([&] { attachment->SaveAsFile(L"/readonly/copy.pdf"); }),
              static_cast<outlook::HResult>(0x80070005));
    EXPECT_EQ(CodeOf([&] { attachments->Add(L"/docs/missing.txt", outlook::olByValue, 1, L"x"); }),
              static_cast<outlook::HResult>(0x80070002));
    EXPECT_EQ(attachments->Add(L"/docs/report.pdf", outlook::olByValue, 1, L"Shown")->DisplayName(), L"Shown");
    EXPECT_EQ(CodeOf([&] { attachments->Item(3); }), outlook::hr::DispE_BadIndex);
}

TEST_F(SimMailItemTest, UserPropertiesAreFoundByNameWithoutRegardToCase) {
    auto properties = sim_.CreateMailItem()->UserProperties();
    EXPECT_EQ(properties->Find(L"SecureId"), nullptr);
    auto added = properties->Add(L"SecureId", outlook::olText, false, 0);
    EXPECT_EQ(added->Value(), outlook::Variant(std::wstring()));
    added->SetValue(std::wstring(L"abc"));
    auto found = properties->Find(L"SECUREID");
    ASSERT_EQ(found, added);
    EXPECT_EQ(found->Name(), L"SecureId");
    EXPECT_EQ(found->Value(), outlook::Variant(std::wstring(L"abc")));
    EXPECT_EQ(properties->Add(L"secureid", outlook::olText, false, 0), added);
    EXPECT_EQ(properties->Add(L"Flag", outlook::olYesNo, false, 0)->Value(), outlook::Variant(false));
}

TEST_F(SimMailItemTest, ReceivedMailIsSentUnreadAndCarriesItsSenderRecipientsAndHeaders) {
    ReceivedMailSetup mail;
    mail.subject = L"Secure message";
    mail.senderName = L"Eve Sender";
    mail.senderAddress = L"eve@sender.example";
    mail.to = {L"sim.user@example.com"};
    mail.cc = {L"other@example.com"};
    mail.attachments = {AttachmentSetup{L"a.txt", "AAA"}};
    clock_.SetUtcSeconds(1796871845);  // 2026-12-10 03:04:05 UTC
    auto item = sim_.AddReceivedMail(mail);
    EXPECT_TRUE(item->Sent());
    EXPECT_NEAR(item->SentOn(), 46366.0 + (3 * 3600 + 4 * 60 + 5) / 86400.0, 1e-9);
    EXPECT_TRUE(item->UnRead());
    EXPECT_FALSE(item->EntryID().empty());
    EXPECT_EQ(item->Parent(), sim_.Folder(outlook::olFolderInbox));
    EXPECT_EQ(item->Subject(), L"Secure message");
    auto recipients = item->Recipients();
    ASSERT_EQ(recipients->Count(), 2);
    EXPECT_EQ(recipients->Item(2)->Type(), outlook::olCC);
    EXPECT_EQ(recipients->Item(1)->Address(), L"sim.user@example.com");
    EXPECT_EQ(item->Attachments()->Item(1)->Type(), outlook::olByValue);

    const std::wstring headers = item->Props().Text(outlook::mapi::PR_TRANSPORT_MESSAGE_HEADERS_W);
    EXPECT_NE(headers.find(L"From: \"Eve Sender\" <eve@sender.example>\r\n"), std::wstring::npos) << headers;
    EXPECT_NE(headers.find(L"Cc: other@example.com\r\n"), std::wstring::npos);
    EXPECT_NE(headers.find(L"Subject: Secure message\r\n"), std::wstring::npos);
    EXPECT_EQ(headers.find(L"\n\n"), std::wstring::npos) << "every line ends in CR LF";
    EXPECT_EQ(item->MessageFlags(), prop::MSGFLAG_UNMODIFIED | prop::MSGFLAG_HASATTACH);

    mail.transportHeaders = L"";
    mail.sentOn = 40000.75;
    const auto bare = sim_.AddReceivedMail(mail);
    EXPECT_FALSE(bare->Props().Find(outlook::mapi::PR_TRANSPORT_MESSAGE_HEADERS_W));
    EXPECT_EQ(bare->SentOn(), 40000.75);
}

TEST_F(SimMailItemTest, ItemMembersFollowTheMemberGate) {
    auto item = sim_.CreateMailItem();
    sim_.FailMember(L"MailItem.SetSubject", outlook::hr::E_Fail, L"read-only", 1);
    EXPECT_EQ(CodeOf([&] { item->SetSubject(L"x"); }), outlook::hr::E_Fail);
    EXPECT_EQ(item->Subject(), L"");
    item->SetSubject(L"x");
    EXPECT_EQ(item->Subject(), L"x");
}

TEST_F(SimMailItemTest, ItemsTellWhenTheyWereMadeByTheSimulationsClock) {
    clock_.SetUtcSeconds(1796871845);  // 2026-12-10 03:04:05 UTC
    auto first = sim_.CreateMailItem();
    clock_.SetUtcSeconds(1796871845 + 90);
    auto second = sim_.CreateMailItem();
    EXPECT_NEAR(first->CreationTime(), 46366.0 + (3 * 3600 + 4 * 60 + 5) / 86400.0, 1e-9);
    EXPECT_NEAR(second->CreationTime() - first->CreationTime(), 90 / 86400.0, 1e-9);
    first->Save();
    EXPECT_NEAR(first->CreationTime(), 46366.0 + (3 * 3600 + 4 * 60 + 5) / 86400.0, 1e-9) << "saving keeps it";
    sim_.FailMember(L"MailItem.CreationTime", outlook::hr::E_Fail, L"busy", 1);
    EXPECT_EQ(CodeOf([&] { second->CreationTime(); }), outlook::hr::E_Fail);
}

}  // namespace
}  // namespace sealwing::sim
