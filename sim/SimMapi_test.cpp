#include <gtest/gtest.h>

#include "outlook/Mapi.h"
#include "sim/SimAttachments.h"
#include "sim/SimFolder.h"
#include "sim/SimMailItem.h"
#include "sim/SimOutlook.h"
#include "sim/SimProps.h"
#include "sim/SimRecipients.h"
#include "sim/SimTestSupport.h"

namespace sealwing::sim {
namespace {

namespace mapi = outlook::mapi;
using outlook::Ref;

class SimMapiTest : public ::testing::Test {
protected:
    Ref<mapi::Message> Message(const Ref<SimMailItem>& item) { return item->MAPIOBJECT(); }
    Ref<SimMailItem> Received() {
        ReceivedMailSetup mail;
        mail.subject = L"Hello";
        mail.senderAddress = L"a@b.example";
        return sim_.AddReceivedMail(mail);
    }

    platform::ManualClock clock_;
    SimOutlook sim_{SimOptions{}, clock_};
};

TEST_F(SimMapiTest, GetPropsReturnsValuesInOrderWithPtErrorForTheMissingOne) {
    auto item = sim_.CreateMailItem();
    item->Save();
    std::vector<mapi::PropValue> values;
    const auto result = Message(item)->GetProps(
        {mapi::PR_ENTRYID, mapi::PR_TRANSPORT_MESSAGE_HEADERS_W, mapi::PR_MESSAGE_FLAGS, mapi::PR_PARENT_ENTRYID},
        values);
    EXPECT_EQ(result, outlook::hr::Mapi_W_ErrorsReturned);
    EXPECT_TRUE(outlook::Succeeded(result));
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0].tag, mapi::PR_ENTRYID);
    EXPECT_EQ(values[0].data, mapi::PropData(item->EntryIdBytes()));
    EXPECT_EQ(values[1], (mapi::PropValue{0x007D000A, mapi::PropError{outlook::hr::Mapi_E_NotFound}}));
    EXPECT_EQ(values[2].data, mapi::PropData(prop::MSGFLAG_READ | prop::MSGFLAG_UNSENT | prop::MSGFLAG_UNMODIFIED));
    EXPECT_EQ(values[3].data, mapi::PropData(sim_.Folder(outlook::olFolderDrafts)->EntryIdBytes()));

    EXPECT_EQ(Message(Received())->GetProps({mapi::PR_TRANSPORT_MESSAGE_HEADERS_W, mapi::PR_ENTRYID}, values),
              outlook::hr::S_Ok);
}

TEST_F(SimMapiTest, HrGetOnePropSucceedsOrFailsButNeverWarns) {
    auto message = Message(Received());
    mapi::PropValue value;
    EXPECT_EQ(mapi::HrGetOneProp(*message, mapi::PR_TRANSPORT_MESSAGE_HEADERS_W, value), outlook::hr::S_Ok);
    EXPECT_NE(std::get<std::wstring>(value.data).find(L"Subject: Hello\r\n"), std::wstring::npos);
    EXPECT_EQ(mapi::HrGetOneProp(*message, mapi::PR_SMTP_ADDRESS_W, value), outlook::hr::Mapi_E_NotFound);
}

TEST_F(SimMapiTest, TypesMustMatchUnlessUnspecifiedAndLargeValuesNeedAStream) {
    auto item = Received();
    item->Props().SetText(prop::PR_BODY_W, std::wstring(20000, L'x'));  // 40 002 bytes as MAPI holds it
    std::vector<mapi::PropValue> values;
    Message(item)->GetProps({mapi::ChangePropType(mapi::PR_MESSAGE_FLAGS, mapi::PT_UNSPECIFIED),
                             mapi::ChangePropType(prop::PR_SUBJECT_W, mapi::PT_BINARY), prop::PR_BODY_W},
                            values);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].tag, mapi::PR_MESSAGE_FLAGS);
    EXPECT_EQ(values[1].data, mapi::PropData(mapi::PropError{outlook::hr::Mapi_E_NotFound}));
    EXPECT_EQ(values[2].data, mapi::PropData(mapi::PropError{outlook::hr::Mapi_E_NotEnoughMemory}));
}

TEST_F(SimMapiTest, NamedPropertiesMapToStableIdsPerStore) {
    auto first = Message(sim_.CreateMailItem());
    auto second = Message(Received());
    const mapi::NamedProperty stamp{mapi::PSETID_Common, 0x8581};
    const mapi::NamedProperty other{mapi::PSETID_Common, 0x8582};
    std::vector<mapi::PropTag> tags;
    EXPECT_EQ(first->GetIDsFromNames({stamp}, false, tags), outlook::hr::Mapi_W_ErrorsReturned);
    EXPECT_EQ(tags, std::vector<mapi::PropTag>{mapi::PT_ERROR});
    EXPECT_EQ(first->GetIDsFromNames({stamp, other}, true, tags), outlook::hr::S_Ok);
    EXPECT_EQ(tags, (std::vector<mapi::PropTag>{0x80000000, 0x80010000}));
    EXPECT_EQ(second->GetIDsFromNames({other}, false, tags), outlook::hr::S_Ok);
    EXPECT_EQ(tags, std::vector<mapi::PropTag>{0x80010000});

    const mapi::PropTag stampTag = mapi::ChangePropType(0x80000000, mapi::PT_UNICODE);
    EXPECT_EQ(second->SetProps({{stampTag, std::wstring(L"account stamp")}}), outlook::hr::S_Ok);
    mapi::PropValue value;
    EXPECT_EQ(mapi::HrGetOneProp(*second, stampTag, value), outlook::hr::S_Ok);
    EXPECT_EQ(value.data, mapi::PropData(std::wstring(L"account stamp")));
}

TEST_F(SimMapiTest, TheAccountStampAndTheReceivingAddressAreReadAsOutlookLeavesThem) {
    auto stamped = sim_.CreateMailItem();
    auto plain = sim_.CreateMailItem();
    const mapi::NamedProperty stamp{mapi::PSETID_Common, SimMailItem::kAccountStampId};
    std::vector<mapi::PropTag> tags;
    EXPECT_EQ(Message(plain)->GetIDsFromNames({stamp}, false, tags), outlook::hr::Mapi_W_ErrorsReturned);

    stamped->SetAccountStamp(L"00000003 stamp");
    ASSERT_EQ(Message(plain)->GetIDsFromNames({stamp}, false, tags), outlook::hr::S_Ok) << "the store knows the name";
    const mapi::PropTag tag = mapi::ChangePropType(tags.front(), mapi::PT_UNICODE);
    std::vector<mapi::PropValue> values;
    EXPECT_EQ(Message(stamped)->GetProps({tag}, values), outlook::hr::S_Ok);
    EXPECT_EQ(values.front().data, mapi::PropData(std::wstring(L"00000003 stamp")));
    EXPECT_EQ(Message(plain)->GetProps({tag}, values), outlook::hr::Mapi_W_ErrorsReturned);

    auto received = Received();
    mapi::PropValue value;
    ASSERT_EQ(mapi::HrGetOneProp(*Message(received), mapi::PR_RECEIVED_BY_EMAIL_ADDRESS_W, value), outlook::hr::S_Ok);
    EXPECT_EQ(value.data, mapi::PropData(std::wstring(L"sim.user@example.com"))) << "the profile's user received it";
    received->SetReceivedByAddress(L"/o=Org/cn=me");
    mapi::HrGetOneProp(*Message(received), mapi::PR_RECEIVED_BY_EMAIL_ADDRESS_W, value);
    EXPECT_EQ(value.data, mapi::PropData(std::wstring(L"/o=Org/cn=me")));
    received->SetReceivedByAddress(L"");
    EXPECT_EQ(mapi::HrGetOneProp(*Message(received), mapi::PR_RECEIVED_BY_EMAIL_ADDRESS_W, value),
              outlook::hr::Mapi_E_NotFound);
}

TEST_F(SimMapiTest, SetPropsLeavesComputedAndMistypedValuesOutAndChangesTheItem) {
    auto item = sim_.CreateMailItem();
    auto message = Message(item);
    EXPECT_EQ(message->SetProps({{prop::PR_SUBJECT_W, std::wstring(L"via MAPI")},
                                 {mapi::PR_ENTRYID, mapi::Binary{1, 2, 3}},
                                 {mapi::PR_MESSAGE_FLAGS, std::wstring(L"not a number")}}),
              outlook::hr::Mapi_W_ErrorsReturned);
    EXPECT_EQ(item->Subject(), L"via MAPI");
    EXPECT_FALSE(item->IsSaved());
    EXPECT_EQ(message->SaveChanges(), outlook::hr::S_Ok);
    EXPECT_TRUE(item->IsSaved()) << "SaveChanges makes the entry id exist";
    mapi::PropValue value;
    EXPECT_EQ(mapi::HrGetOneProp(*message, mapi::PR_ENTRYID, value), outlook::hr::S_Ok);
}

TEST_F(SimMapiTest, TheSessionOpensTheStoreItsFoldersAndMessagesAndDeletesForGood) {
    auto app = sim_.Application();
    auto item = Received();
    auto session = app->Session()->MAPIOBJECT();
    std::vector<mapi::PropValue> ids;
    ASSERT_EQ(Message(item)->GetProps({mapi::PR_STORE_ENTRYID, mapi::PR_PARENT_ENTRYID, mapi::PR_ENTRYID}, ids),
              outlook::hr::S_Ok);
    const auto storeId = std::get<mapi::Binary>(ids[0].data);
    const auto folderId = std::get<mapi::Binary>(ids[1].data);
    const auto messageId = std::get<mapi::Binary>(ids[2].data);

    Ref<mapi::MsgStore> store;
    EXPECT_EQ(session->OpenMsgStore(mapi::Binary{0, 1}, store), outlook::hr::Mapi_E_NotFound);
    EXPECT_EQ(store, nullptr);
    ASSERT_EQ(session->OpenMsgStore(storeId, store), outlook::hr::S_Ok);

    Ref<mapi::Prop> opened;
    ASSERT_EQ(store->OpenEntry(messageId, opened), outlook::hr::S_Ok);
    ASSERT_NE(std::dynamic_pointer_cast<mapi::Message>(opened), nullptr);
    ASSERT_EQ(store->OpenEntry(folderId, opened), outlook::hr::S_Ok);
    auto inbox = std::dynamic_pointer_cast<mapi::Folder>(opened);
    ASSERT_NE(inbox, nullptr);

    EXPECT_EQ(inbox->DeleteMessages({messageId}), outlook::hr::S_Ok);
    EXPECT_TRUE(sim_.Folder(outlook::olFolderInbox)->Items().empty());
    EXPECT_EQ(store->OpenEntry(messageId, opened), outlook::hr::Mapi_E_NotFound);
    EXPECT_EQ(testing::CodeOf([&] { app->Session()->GetItemFromID(item->EntryIdText(), L""); }),
              outlook::hr::Mapi_E_NotFound);
    EXPECT_EQ(inbox->DeleteMessages({messageId}), static_cast<outlook::HResult>(0x00040680));
}

TEST_F(SimMapiTest, AMessageOfASecondStoreOpensThroughItsOwnStoreAndIsDeletedThere) {
    const std::wstring name = L"Google Apps - ann@example.com";
    sim_.AddStore(name);
    Received();  // the default store holds mail too
    auto item = sim_.AddReceivedMail(ReceivedMailSetup{.subject = L"copy", .store = name});
    std::vector<mapi::PropValue> ids;
    ASSERT_EQ(Message(item)->GetProps({mapi::PR_STORE_ENTRYID, mapi::PR_PARENT_ENTRYID, mapi::PR_ENTRYID}, ids),
              outlook::hr::S_Ok);
    const auto storeId = std::get<mapi::Binary>(ids[0].data);
    const auto folderId = std::get<mapi::Binary>(ids[1].data);
    const auto messageId = std::get<mapi::Binary>(ids[2].data);
    auto session = sim_.Application()->Session()->MAPIOBJECT();

    Ref<mapi::MsgStore> store;
    ASSERT_EQ(session->OpenMsgStore(storeId, store), outlook::hr::S_Ok);
    mapi::PropValue value;
    ASSERT_EQ(mapi::HrGetOneProp(*store, prop::PR_DISPLAY_NAME_W, value), outlook::hr::S_Ok);
    EXPECT_EQ(value.data, mapi::PropData(name));

    Ref<mapi::MsgStore> defaultStore;
    ASSERT_EQ(session->OpenMsgStore(sim_.DefaultStore()->EntryIdBytes(), defaultStore), outlook::hr::S_Ok);
    Ref<mapi::Prop> opened;
    EXPECT_EQ(defaultStore->OpenEntry(folderId, opened), outlook::hr::Mapi_E_NotFound)
        << "a store opens only its own entries";

    ASSERT_EQ(store->OpenEntry(folderId, opened), outlook::hr::S_Ok);
    auto folder = std::dynamic_pointer_cast<mapi::Folder>(opened);
    ASSERT_NE(folder, nullptr);
    ASSERT_EQ(mapi::HrGetOneProp(*folder, mapi::PR_STORE_ENTRYID, value), outlook::hr::S_Ok);
    EXPECT_EQ(value.data, mapi::PropData(storeId));
    EXPECT_EQ(folder->DeleteMessages({messageId}), outlook::hr::S_Ok);
    EXPECT_TRUE(sim_.Folder(outlook::olFolderInbox, name)->Items().empty());
    EXPECT_EQ(sim_.Folder(outlook::olFolderInbox)->Items().size(), 1u) << "the default store keeps its mail";
    EXPECT_EQ(testing::CodeOf([&] { sim_.Application()->Session()->GetItemFromID(item->EntryIdText(), L""); }),
              outlook::hr::Mapi_E_NotFound);
}

// The Sent copy's steps: a message made in a folder takes another's content whole and its flags before its first
// save, and joins the folder only when saved.
TEST_F(SimMapiTest, AMessageCreatedInAFolderTakesACopyAndItsFlagsAndJoinsTheFolderWhenSaved) {
    auto draft = sim_.CreateMailItem();
    draft->SetSubject(L"Figures");
    draft->Recipients()->Add(L"bob@example.com");
    draft->AttachmentList()->AddSaved(L"a.txt", "bytes");
    draft->Save();
    const auto sent = sim_.Folder(outlook::olFolderSentMail);
    auto folder = sent->MAPIOBJECT();
    ASSERT_NE(folder, nullptr);

    Ref<mapi::Message> copy;
    ASSERT_EQ(folder->CreateMessage(copy), outlook::hr::S_Ok);
    ASSERT_EQ(Message(draft)->CopyTo(*copy), outlook::hr::S_Ok);
    EXPECT_TRUE(sent->Items().empty()) << "nothing in the folder before the save";
    ASSERT_EQ(copy->SetProps({{mapi::PR_MESSAGE_FLAGS, std::int32_t{mapi::MSGFLAG_READ}},
                              {mapi::PR_CLIENT_SUBMIT_TIME, mapi::FileTimeFromUnix(0)}}),
              outlook::hr::S_Ok);
    ASSERT_EQ(copy->SaveChanges(), outlook::hr::S_Ok);

    ASSERT_EQ(sent->Items().size(), 1u);
    const auto& saved = sent->Items()[0];
    EXPECT_EQ(saved->Props().Text(prop::PR_SUBJECT_W), L"Figures");
    EXPECT_EQ(saved->RecipientList()->List().size(), 1u);
    EXPECT_EQ(saved->AttachmentList()->List().size(), 1u);
    EXPECT_EQ(saved->MessageFlags() & (mapi::MSGFLAG_READ | mapi::MSGFLAG_UNSENT), mapi::MSGFLAG_READ);
    EXPECT_EQ(saved->Props().Find(mapi::PR_CLIENT_SUBMIT_TIME)->data,
              mapi::PropData(mapi::FileTime{116'444'736'000'000'000}));
    EXPECT_EQ(draft->Folder(), sim_.Folder(outlook::olFolderDrafts)) << "the draft stays where it was";

    // Once saved, the flags are the store's to compute.
    EXPECT_EQ(copy->SetProps({{mapi::PR_MESSAGE_FLAGS, std::int32_t{0}}}), outlook::hr::Mapi_W_ErrorsReturned);
}

TEST_F(SimMapiTest, TheGlobalProfileSectionHoldsTheProfileName) {
    Ref<mapi::ProfileSection> section;
    ASSERT_EQ(
        sim_.Application()->Session()->MAPIOBJECT()->OpenProfileSection(mapi::pbGlobalProfileSectionGuid, section),
        outlook::hr::S_Ok);
    mapi::PropValue value;
    ASSERT_EQ(mapi::HrGetOneProp(*section, mapi::PR_PROFILE_NAME_W, value), outlook::hr::S_Ok);
    EXPECT_EQ(value.data, mapi::PropData(std::wstring(L"Outlook")));

    ASSERT_EQ(sim_.Application()->Session()->MAPIOBJECT()->OpenProfileSection(mapi::Guid{}, section),
              outlook::hr::S_Ok);
    EXPECT_EQ(mapi::HrGetOneProp(*section, mapi::PR_PROFILE_NAME_W, value), outlook::hr::Mapi_E_NotFound);
}

TEST_F(SimMapiTest, AddressEntriesShowTheirSmtpAddressAndProxiesOnlyWhenTheyHaveThem) {
    sim_.AddAddressBookEntry(AddressBookEntry{
        L"Dan", L"/o=Org/cn=dan", L"EX", 0, L"dan@corp.example", {L"SMTP:dan@corp.example", L"smtp:d@corp.example"}});
    auto recipients = sim_.CreateMailItem()->Recipients();
    auto exchange = recipients->Add(L"Dan");
    auto oneOff = recipients->Add(L"x@y.example");
    ASSERT_TRUE(exchange->Resolve());
    ASSERT_TRUE(oneOff->Resolve());
    mapi::PropValue value;
    auto exchangeUser = exchange->AddressEntry()->MAPIOBJECT();
    ASSERT_EQ(mapi::HrGetOneProp(*exchangeUser, mapi::PR_EMS_AB_PROXY_ADDRESSES, value), outlook::hr::S_Ok);
    EXPECT_EQ(std::get<std::vector<std::wstring>>(value.data).front(), L"SMTP:dan@corp.example");
    ASSERT_EQ(mapi::HrGetOneProp(*exchangeUser, mapi::PR_SMTP_ADDRESS_W, value), outlook::hr::S_Ok);
    auto oneOffUser = oneOff->AddressEntry()->MAPIOBJECT();
    EXPECT_EQ(mapi::HrGetOneProp(*oneOffUser, mapi::PR_SMTP_ADDRESS_W, value), outlook::hr::Mapi_E_NotFound);
    ASSERT_EQ(mapi::HrGetOneProp(*oneOffUser, prop::PR_EMAIL_ADDRESS_W, value), outlook::hr::S_Ok);
    EXPECT_EQ(value.data, mapi::PropData(std::wstring(L"x@y.example")));
    std::vector<mapi::PropTag> tags;
    EXPECT_EQ(oneOffUser->GetIDsFromNames({{mapi::PSETID_Common, 1}}, true, tags),
              static_cast<outlook::HResult>(0x80040102));
}

TEST_F(SimMapiTest, MapiCallsCanBeMadeToFail) {
    auto message = Message(Received());
    sim_.FailMember(L"Message.GetProps", outlook::hr::E_OutOfMemory, L"", 1);
    std::vector<mapi::PropValue> values;
    EXPECT_EQ(message->GetProps({mapi::PR_ENTRYID}, values), outlook::hr::E_OutOfMemory);
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(message->GetProps({mapi::PR_ENTRYID}, values), outlook::hr::S_Ok);
}

}  // namespace
}  // namespace sealwing::sim
