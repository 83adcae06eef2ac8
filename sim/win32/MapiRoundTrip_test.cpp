// Extended MAPI and Outlook's account-management service between the DLL's adapters and the harness's served COM
// objects, in one process under Wine: the simulated Outlook's MAPI objects are served as real MAPI interfaces, the
// DLL's adapters read them back, and the mail-store operations run over them with the expectations they have on the
// simulation directly.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "compose/AttachmentReader.h"
#include "compose/RouterWindow.h"
#include "diagnostics/Log.h"
#include "mailstore/AccountHelper.h"
#include "mailstore/OutlookAccounts.h"
#include "mailstore/OutlookActions.h"
#include "mailstore/testdata/MailStoreCases.h"
#include "outlook/Mapi.h"
#include "outlook/win32/dispatch/DispatchObjects.h"
#include "outlook/win32/mapi/MapiAdapters.h"
#include "outlook/win32/mapi/OlkAdapters.h"
#include "outlook/win32/mapi/PropValues.h"
#include "platform/Text.h"
#include "settings/SettingsStore.h"
#include "sim/SimAttachment.h"
#include "sim/SimAttachments.h"
#include "sim/SimRecipients.h"
#include "sim/win32/DispatchWorld.h"
#include "sim/win32/ServeAccountManager.h"
#include "sim/win32/ServeMapi.h"
// Last: MAPI's macros take the names of the host interface's constants (PR_ENTRYID, PT_UNICODE, ...); below, MAPI's
// own names are used.
#include "outlook/win32/mapi/MapiHeaders.h"
#include "outlook/win32/mapi/OlkInterfaces.h"

namespace sealwing {
namespace {

namespace mapi = outlook::mapi;
namespace olk = outlook::olk;
using outlook::Ref;
using sealwing::win32::ComPtr;

constexpr mapi::PropTag kAbsentTag = 0x6666001F;
constexpr const wchar_t* kUser = L"sim.user@example.com";  // the simulated profile's user

std::string Narrow(const std::wstring& text) { return platform::Utf8FromWide(text); }
bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The simulated object as the DLL receives it: served through IDispatch and wrapped by the DLL's adapter.
Ref<outlook::MailItem> ThroughCom(const Ref<sim::SimMailItem>& item) {
    return outlook::win32::MakeMailItem(sim::win32::ServeObject(item));
}

// The references the portable helper holds now.
std::uint32_t References(olk::AccountHelper& helper) {
    helper.AddRef();
    return helper.Release();
}

std::vector<std::wstring> JournalSince(std::size_t start) {
    const auto& journal = sim::win32::MapiCallJournal();
    return std::vector<std::wstring>(journal.begin() + static_cast<std::ptrdiff_t>(start), journal.end());
}

// The DLL's route to the account-management service (CoCreateInstance) in place of the simulation's, as in
// Outlook's process. The harness's class object asks the simulation's service, so the route stands aside meanwhile.
class ComAccountManagerRoute {
public:
    ComAccountManagerRoute() { Install(); }

private:
    void Install() {
        installed_.emplace([this](Ref<olk::AccountManager>& manager) {
            installed_.reset();
            const outlook::HResult result = outlook::win32::CreateComAccountManager(manager);
            Install();
            return result;
        });
    }

    std::optional<olk::ScopedAccountManagerCreator> installed_;
};

// A world served through COM, with Outlook's account-management class registered in this process. Everything
// served must be released, and every block the service handed out given back, by the end of each test.
class ComGround {
public:
    explicit ComGround(int majorVersion) : world_(majorVersion) {}

    void Begin() {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        diagnostics::OpenThreadLog(L"Main");
        accountClass_.emplace();
        ASSERT_EQ(accountClass_->Result(), S_OK);
        journalStart_ = sim::win32::MapiCallJournal().size();
    }
    void End() {
        accountClass_.reset();
        EXPECT_EQ(sim::win32::LiveMapiObjects(), 0);
        EXPECT_EQ(sim::win32::LiveAccountObjects(), 0);
        EXPECT_EQ(sim::win32::OutstandingAccountMemory(), 0u);
        EXPECT_EQ(sim::win32::ForeignAccountMemoryFrees(), 0u);
        CoUninitialize();
    }

    sim::SimOutlook& Outlook() { return world_.Outlook(); }
    platform::ManualClock& Clock() { return world_.Clock(); }
    std::wstring LocalPath(const std::wstring& relative) const { return world_.LocalPath(relative); }
    Ref<outlook::Application> Application() { return std::dynamic_pointer_cast<outlook::Application>(world_.Host()); }
    std::vector<std::wstring> Journal() const { return JournalSince(journalStart_); }

private:
    sim::win32::DispatchWorld world_;
    std::optional<sim::win32::ScopedAccountManagerClass> accountClass_;
    std::size_t journalStart_ = 0;
};

class MapiAdapterTest : public ::testing::Test {
protected:
    void SetUp() override { ground_.Begin(); }
    void TearDown() override { ground_.End(); }

    sim::SimOutlook& Outlook() { return ground_.Outlook(); }

    ComGround ground_{14};
};

TEST_F(MapiAdapterTest, PropertiesComeBackInTheOrderAskedWithEachFailureInItsPlace) {
    const auto item = Outlook().AddReceivedMail({.subject = L"Quarterly",
                                                 .body = std::wstring(40000, L'x'),  // too large for GetProps
                                                 .transportHeaders = L"X-Parcelon-Copy: true\r\n"});
    const mapi::FileTime submitted{0x01DC'2345'6789'ABCD};  // both halves of the FILETIME in use
    ASSERT_TRUE(item->Props().Set({PR_CLIENT_SUBMIT_TIME, submitted}));
    const Ref<mapi::Message> message = ThroughCom(item)->MAPIOBJECT();
    ASSERT_NE(message, nullptr);

    std::vector<mapi::PropValue> values;
    EXPECT_EQ(message->GetProps(
                  {PR_SUBJECT_W, PR_BODY_W, kAbsentTag, PR_MESSAGE_FLAGS, PR_ENTRYID, PR_CLIENT_SUBMIT_TIME}, values),
              MAPI_W_ERRORS_RETURNED);
    ASSERT_EQ(values.size(), 6u);
    EXPECT_EQ(values[0], (mapi::PropValue{PR_SUBJECT_W, std::wstring(L"Quarterly")}));
    EXPECT_EQ(values[1], (mapi::PropValue{PROP_TAG(PT_ERROR, PROP_ID(PR_BODY_W)),
                                          mapi::PropError{static_cast<outlook::HResult>(MAPI_E_NOT_ENOUGH_MEMORY)}}));
    EXPECT_EQ(values[2], (mapi::PropValue{PROP_TAG(PT_ERROR, PROP_ID(kAbsentTag)),
                                          mapi::PropError{static_cast<outlook::HResult>(MAPI_E_NOT_FOUND)}}));
    EXPECT_EQ(values[3], (mapi::PropValue{PR_MESSAGE_FLAGS, item->MessageFlags()}));
    EXPECT_EQ(values[4], (mapi::PropValue{PR_ENTRYID, item->EntryIdBytes()}));
    EXPECT_EQ(values[5], (mapi::PropValue{PR_CLIENT_SUBMIT_TIME, submitted}));

    mapi::PropValue one;
    EXPECT_EQ(mapi::HrGetOneProp(*message, PR_TRANSPORT_MESSAGE_HEADERS_W, one), S_OK);
    EXPECT_EQ(one.data, mapi::PropData{std::wstring(L"X-Parcelon-Copy: true\r\n")});
    EXPECT_EQ(mapi::HrGetOneProp(*message, kAbsentTag, one), MAPI_E_NOT_FOUND);
    EXPECT_EQ(mapi::HrGetOneProp(*message, PR_BODY_W, one), MAPI_E_NOT_ENOUGH_MEMORY);
}

// mapi32.dll's own HrGetOneProp on the served object: through the decorated import in a 32-bit program, by the plain
// name in a 64-bit one (which 64-bit Wine 8 lacks: scripts/run-windows-tests.sh leaves this test out there).
TEST_F(MapiAdapterTest, Mapi32sOwnHrGetOnePropReadsAServedObject) {
    const auto item = Outlook().AddReceivedMail({.subject = L"Quarterly"});
    const ComPtr<IUnknown> served = sim::win32::ServeMapiMessage(item->MAPIOBJECT());
    const auto prop = served.As<IMAPIProp>(IID_IMAPIProp);
    ASSERT_TRUE(prop);
    LPSPropValue raw = nullptr;
    ASSERT_EQ(HrGetOneProp(prop.Get(), PR_SUBJECT_W, &raw), S_OK);
    const outlook::win32::MapiBuffer<SPropValue> subject(raw);
    EXPECT_EQ(std::wstring(subject->Value.lpszW), L"Quarterly");
    raw = nullptr;
    EXPECT_EQ(HrGetOneProp(prop.Get(), kAbsentTag, &raw), MAPI_E_NOT_FOUND);
    EXPECT_EQ(raw, nullptr);
}

TEST_F(MapiAdapterTest, ANamedPropertyIsMappedWrittenAndSavedWithTheMessage) {
    const auto draft = Outlook().CreateMailItem();
    const Ref<mapi::Message> message = ThroughCom(draft)->MAPIOBJECT();
    ASSERT_NE(message, nullptr);

    std::vector<mapi::PropTag> tags;
    ASSERT_EQ(message->GetIDsFromNames({{mapi::PSETID_Common, 0x8581}}, true, tags), S_OK);
    ASSERT_EQ(tags.size(), 1u);
    EXPECT_EQ(PROP_TYPE(tags[0]), static_cast<ULONG>(PT_UNSPECIFIED));
    EXPECT_GE(PROP_ID(tags[0]), 0x8000u);
    const mapi::PropTag stamp = PROP_TAG(PT_UNICODE, PROP_ID(tags[0]));
    EXPECT_EQ(
        message->SetProps({{stamp, std::wstring(L"00000007 stamp")}, {PR_SUBJECT_W, std::wstring(L"Typed in MAPI")}}),
        S_OK);
    EXPECT_EQ(draft->Subject(), L"Typed in MAPI");

    std::vector<mapi::PropTag> again;
    EXPECT_EQ(message->GetIDsFromNames({{mapi::PSETID_Common, 0x8581}, {mapi::PSETID_Common, 0x8599}}, false, again),
              MAPI_W_ERRORS_RETURNED);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0], tags[0]);
    EXPECT_EQ(PROP_TYPE(again[1]), static_cast<ULONG>(PT_ERROR));

    EXPECT_EQ(draft->EntryID(), L"");
    EXPECT_EQ(message->SaveChanges(), S_OK);
    EXPECT_NE(draft->EntryID(), L"");
    mapi::PropValue read;
    EXPECT_EQ(mapi::HrGetOneProp(*message, stamp, read), S_OK);
    EXPECT_EQ(read.data, mapi::PropData{std::wstring(L"00000007 stamp")});
    EXPECT_EQ(ground_.Journal(), (std::vector<std::wstring>{L"Message.SaveChanges 0x00000002"}));

    // A name given as a string has no id in the simulated store: it comes back unmapped beside the others.
    const ComPtr<IUnknown> served = sim::win32::ServeMapiMessage(draft->MAPIOBJECT());
    const auto prop = served.As<IMAPIProp>(IID_IMAPIProp);
    GUID common = outlook::win32::ToGuid(mapi::PSETID_Common);
    MAPINAMEID byNumber{&common, MNID_ID, {}};
    byNumber.Kind.lID = 0x8581;
    wchar_t text[] = L"x-custom";
    MAPINAMEID byString{&common, MNID_STRING, {}};
    byString.Kind.lpwstrName = text;
    MAPINAMEID* names[] = {&byNumber, &byString};
    LPSPropTagArray mapped = nullptr;
    EXPECT_EQ(prop->GetIDsFromNames(2, names, 0, &mapped), MAPI_W_ERRORS_RETURNED);
    const outlook::win32::MapiBuffer<SPropTagArray> owned(mapped);
    ASSERT_TRUE(owned);
    ASSERT_EQ(owned->cValues, 2u);
    EXPECT_EQ(owned->aulPropTag[0], tags[0]);
    EXPECT_EQ(PROP_TYPE(owned->aulPropTag[1]), static_cast<ULONG>(PT_ERROR));
}

TEST_F(MapiAdapterTest, TheSessionOpensTheStoreAndTheFolderThatDeletesForGood) {
    const auto draft = Outlook().CreateMailItem();
    draft->Save();
    const Ref<mapi::Session> session = ground_.Application()->Session()->MAPIOBJECT();
    ASSERT_NE(session, nullptr);
    EXPECT_NE(outlook::win32::RawSession(*session), nullptr);

    Ref<mapi::MsgStore> store;
    ASSERT_EQ(session->OpenMsgStore(draft->OwnerStore()->EntryIdBytes(), store), S_OK);
    ASSERT_NE(store, nullptr);
    Ref<mapi::Prop> opened;
    ASSERT_EQ(store->OpenEntry(draft->EntryIdBytes(), opened), S_OK);
    EXPECT_NE(std::dynamic_pointer_cast<mapi::Message>(opened), nullptr);
    ASSERT_EQ(store->OpenEntry(draft->Folder()->EntryIdBytes(), opened), S_OK);
    const auto folder = std::dynamic_pointer_cast<mapi::Folder>(opened);
    ASSERT_NE(folder, nullptr);

    EXPECT_EQ(folder->DeleteMessages({draft->EntryIdBytes()}), S_OK);
    EXPECT_TRUE(draft->IsDeleted());
    EXPECT_TRUE(Outlook().Folder(outlook::olFolderDeletedItems)->Items().empty());
    EXPECT_EQ(ground_.Journal(),
              (std::vector<std::wstring>{L"Session.OpenMsgStore 0x00000011", L"MsgStore.OpenEntry 0x00000010",
                                         L"MsgStore.OpenEntry 0x00000010", L"Folder.DeleteMessages 1"}));

    EXPECT_EQ(store->OpenEntry({1, 2, 3}, opened), MAPI_E_NOT_FOUND);
    EXPECT_EQ(opened, nullptr);
    EXPECT_EQ(session->OpenMsgStore({1, 2, 3}, store), MAPI_E_NOT_FOUND);
    EXPECT_EQ(store, nullptr);
}

TEST_F(MapiAdapterTest, TheGlobalProfileSectionNamesTheProfile) {
    const Ref<mapi::Session> session = ground_.Application()->Session()->MAPIOBJECT();
    ASSERT_NE(session, nullptr);
    Ref<mapi::ProfileSection> section;
    ASSERT_EQ(session->OpenProfileSection(mapi::pbGlobalProfileSectionGuid, section), S_OK);
    mapi::PropValue name;
    EXPECT_EQ(mapi::HrGetOneProp(*section, PR_PROFILE_NAME_W, name), S_OK);
    EXPECT_EQ(name.data, mapi::PropData{std::wstring(L"Outlook")});
    EXPECT_EQ(ground_.Journal(), (std::vector<std::wstring>{L"Session.OpenProfileSection 0x00000000"}));
}

TEST_F(MapiAdapterTest, AnAddressEntryAnswersIMailUserWithItsSmtpAndProxyAddresses) {
    Outlook().AddAddressBookEntry(
        {L"ann", L"/o=Org/cn=ann", L"EX", 0, L"ann@corp.example", {L"SMTP:ann@corp.example", L"smtp:a@corp.example"}});
    const auto recipient = ThroughCom(Outlook().CreateMailItem())->Recipients()->Add(L"ann");
    ASSERT_TRUE(recipient->Resolve());
    const Ref<mapi::MailUser> user = recipient->AddressEntry()->MAPIOBJECT();
    ASSERT_NE(user, nullptr);

    std::vector<mapi::PropValue> values;
    EXPECT_EQ(user->GetProps({mapi::PR_SMTP_ADDRESS_W, mapi::PR_EMS_AB_PROXY_ADDRESSES}, values), S_OK);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].data, mapi::PropData{std::wstring(L"ann@corp.example")});
    const std::vector<std::wstring> proxies{L"SMTP:ann@corp.example", L"smtp:a@corp.example"};
    EXPECT_EQ(values[1].data, mapi::PropData{proxies});

    // A user entry is no message: asked for IMessage, it answers nothing.
    const auto simRecipient = Outlook().CreateMailItem()->Recipients()->Add(L"ann");
    ASSERT_TRUE(simRecipient->Resolve());
    const ComPtr<IUnknown> served = sim::win32::ServeMapiMailUser(simRecipient->AddressEntry()->MAPIOBJECT());
    EXPECT_TRUE(served.As<IMailUser>(IID_IMailUser));
    EXPECT_EQ(outlook::win32::WrapMessage(served.Get()), nullptr);
}

TEST_F(MapiAdapterTest, ASimulatedFailureArrivesAsTheCallsResult) {
    const auto item = Outlook().AddReceivedMail({.subject = L"Hi"});
    const Ref<mapi::Message> message = ThroughCom(item)->MAPIOBJECT();
    Outlook().FailMember(L"Message.GetProps", static_cast<outlook::HResult>(MAPI_E_CALL_FAILED), L"", 1);

    std::vector<mapi::PropValue> values;
    EXPECT_EQ(message->GetProps({PR_SUBJECT_W}, values), MAPI_E_CALL_FAILED);
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(message->GetProps({PR_SUBJECT_W}, values), S_OK);  // for that one call only
    Outlook().FailMember(L"Session.OpenMsgStore", static_cast<outlook::HResult>(MAPI_E_LOGON_FAILED), L"", 1);
    Ref<mapi::MsgStore> store;
    const Ref<mapi::Session> session = ground_.Application()->Session()->MAPIOBJECT();
    EXPECT_EQ(session->OpenMsgStore(item->OwnerStore()->EntryIdBytes(), store), MAPI_E_LOGON_FAILED);
    EXPECT_EQ(store, nullptr);
}

// An attachment's bytes: every byte value, NUL included, in an order that differs with the seed.
std::string AttachmentBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (std::size_t at = 0; at < size; ++at) bytes[at] = static_cast<char>((at * 37 + seed) % 256);
    return bytes;
}

std::string FileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct StreamRead {
    outlook::HResult result = S_OK;  // the last read's
    std::string bytes;
    std::vector<std::uint32_t> counts;  // what each successful read gave, the final empty one included
};

// Reads `ask` bytes at a time until a read gives nothing or fails.
StreamRead ReadToEnd(mapi::Stream& stream, std::uint32_t ask) {
    StreamRead read;
    std::string buffer(ask, '\0');
    for (int reads = 0; reads < 100000; ++reads) {
        std::uint32_t got = 0;
        read.result = stream.Read(reinterpret_cast<std::uint8_t*>(buffer.data()), ask, got);
        if (FAILED(read.result)) break;
        read.counts.push_back(got);
        if (got == 0) break;
        read.bytes.append(buffer, 0, std::min(got, ask));
    }
    return read;
}

TEST_F(MapiAdapterTest, EachKindOfAttachmentOpensItsDataAsAStreamUnderItsOwnTagOnly) {
    struct Case {
        const wchar_t* name;
        outlook::AttachmentType kind;
        std::size_t size;
        outlook::HResult binary;  // OpenProperty(PR_ATTACH_DATA_BIN, IID_IStream)
        outlook::HResult object;  // OpenProperty(PR_ATTACH_DATA_OBJ, IID_IStream)
    };
    const Case cases[] = {
        {L"report.pdf", outlook::olByValue, 3000, S_OK, static_cast<outlook::HResult>(MAPI_E_NOT_FOUND)},
        {L"Picture (Metafile)", outlook::olOLE, 5000, static_cast<outlook::HResult>(MAPI_E_NOT_FOUND), S_OK},
        // An attached Outlook item holds a message there, which opens as no stream.
        {L"Minutes.msg", outlook::olEmbeddeditem, 700, static_cast<outlook::HResult>(MAPI_E_NOT_FOUND),
         static_cast<outlook::HResult>(MAPI_E_INTERFACE_NOT_SUPPORTED)},
    };
    const auto draft = Outlook().CreateMailItem();
    for (unsigned seed = 0; const Case& c : cases) {
        draft->AttachmentList()->AddNew(c.name, AttachmentBytes(c.size, seed++), c.kind);
    }
    const platform::Win32TempFolder folder;
    const auto attachments = ThroughCom(draft)->Attachments();

    for (int index = 1; const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        const std::string bytes = AttachmentBytes(c.size, static_cast<unsigned>(index - 1));
        const auto attachment = attachments->Item(index++);
        const Ref<mapi::Prop> attach = attachment->MAPIOBJECT();
        ASSERT_NE(attach, nullptr);
        for (const auto& [tag, expected] : {std::pair{mapi::PropTag{PR_ATTACH_DATA_BIN}, c.binary},
                                            std::pair{mapi::PropTag{PR_ATTACH_DATA_OBJ}, c.object}}) {
            Ref<mapi::Stream> stream;
            EXPECT_EQ(attach->OpenStream(tag, stream), expected) << std::hex << tag;
            EXPECT_EQ(stream != nullptr, expected == S_OK) << std::hex << tag;
            if (!stream) continue;
            std::uint64_t size = 0;
            EXPECT_EQ(stream->Size(size), S_OK);
            EXPECT_EQ(size, c.size);
            const StreamRead read = ReadToEnd(*stream, 4096);
            EXPECT_EQ(read.result, S_OK);
            EXPECT_TRUE(read.bytes == bytes);
        }
        // Every kind saves to a file; for an attached item it is the only way to its bytes.
        const std::wstring saved = folder.At(L"saved" + std::to_wstring(index));
        attachment->SaveAsFile(saved);
        EXPECT_TRUE(FileBytes(saved) == bytes);
    }

    // A file's data is also a plain binary property.
    const std::string file = AttachmentBytes(3000, 0);
    mapi::PropValue data;
    EXPECT_EQ(mapi::HrGetOneProp(*attachments->Item(1)->MAPIOBJECT(), PR_ATTACH_DATA_BIN, data), S_OK);
    EXPECT_TRUE(data.data == mapi::PropData{mapi::Binary(file.begin(), file.end())});
}

TEST_F(MapiAdapterTest, AStreamPassesOnShortReadsAnEarlyEndAndFailuresAsTheStoreGivesThem) {
    const std::string bytes = AttachmentBytes(1000, 3);
    const auto draft = Outlook().CreateMailItem();
    draft->AttachmentList()->AddNew(L"slow.bin", bytes, outlook::olByValue)->SetStreaming({.readLimit = 64});
    draft->AttachmentList()->AddNew(L"cut.bin", bytes, outlook::olOLE)->SetStreaming({.endsAfter = 600});
    const auto attachments = ThroughCom(draft)->Attachments();
    const auto open = [&](int index, mapi::PropTag tag) {
        Ref<mapi::Stream> stream;
        EXPECT_EQ(attachments->Item(index)->MAPIOBJECT()->OpenStream(tag, stream), S_OK);
        return stream;
    };

    // A slow store gives at most 64 bytes a read however many are asked: read on, and every byte arrives.
    const Ref<mapi::Stream> slow = open(1, PR_ATTACH_DATA_BIN);
    ASSERT_NE(slow, nullptr);
    const StreamRead slowly = ReadToEnd(*slow, 4096);
    EXPECT_EQ(slowly.result, S_OK);
    EXPECT_TRUE(slowly.bytes == bytes);
    std::vector<std::uint32_t> counts(15, 64);
    counts.insert(counts.end(), {40, 0});
    EXPECT_EQ(slowly.counts, counts);

    // A stream that breaks off reports its whole size and ends after fewer bytes, without an error.
    const Ref<mapi::Stream> cut = open(2, PR_ATTACH_DATA_OBJ);
    ASSERT_NE(cut, nullptr);
    std::uint64_t size = 0;
    EXPECT_EQ(cut->Size(size), S_OK);
    EXPECT_EQ(size, 1000u);
    const StreamRead shortened = ReadToEnd(*cut, 256);
    EXPECT_EQ(shortened.result, S_OK);
    EXPECT_TRUE(shortened.bytes == bytes.substr(0, 600));
    EXPECT_EQ(shortened.counts, (std::vector<std::uint32_t>{256, 256, 88, 0}));

    // The store's failures arrive as each call's result.
    Outlook().FailMember(L"Attach.OpenProperty", static_cast<outlook::HResult>(MAPI_E_NO_ACCESS), L"", 1);
    Ref<mapi::Stream> refused;
    EXPECT_EQ(attachments->Item(1)->MAPIOBJECT()->OpenStream(PR_ATTACH_DATA_BIN, refused), MAPI_E_NO_ACCESS);
    EXPECT_EQ(refused, nullptr);
    const Ref<mapi::Stream> failing = open(1, PR_ATTACH_DATA_BIN);
    ASSERT_NE(failing, nullptr);
    Outlook().FailMember(L"Stream.Stat", static_cast<outlook::HResult>(STG_E_ACCESSDENIED), L"", 1);
    Outlook().FailMember(L"Stream.Read", static_cast<outlook::HResult>(MAPI_E_CALL_FAILED), L"", 1);
    EXPECT_EQ(failing->Size(size), STG_E_ACCESSDENIED);
    std::uint8_t buffer[16];
    std::uint32_t got = 99;
    EXPECT_EQ(failing->Read(buffer, sizeof buffer, got), MAPI_E_CALL_FAILED);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(failing->Read(buffer, sizeof buffer, got), S_OK);  // for that one call only
    EXPECT_EQ(got, 16u);
}

// The files in a folder, without its subfolders' contents.
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// The add-in's reading of a draft's attachments, through the DLL's adapters over the served attachments.
TEST_F(MapiAdapterTest, TheAttachmentReaderTakesEveryKindWholeAndLeavesNoScratchFile) {
    struct Case {
        const wchar_t* name;
        outlook::AttachmentType kind;
        std::size_t size;
        sim::StreamBehaviour streaming;
        bool read;
    };
    const Case cases[] = {
        {L"report.pdf", outlook::olByValue, 5000, {}, true},
        {L"Picture (Metafile)", outlook::olOLE, 3000, {}, true},
        // Only Outlook's saved copy gives it, under a name that keeps it inside the scratch folder.
        {L"Re: minutes 3/4?.msg", outlook::olEmbeddeditem, 2000, {}, true},
        {L"slow.bin", outlook::olByValue, 4000, {.readLimit = 100}, true},
        // Part of an attachment is never sent: one whose stream breaks off is left out.
        {L"cut.bin", outlook::olOLE, 4000, {.endsAfter = 1000}, false},
    };
    const auto draft = Outlook().CreateMailItem();
    std::vector<Ref<sim::SimAttachment>> simulated;
    for (unsigned seed = 0; const Case& c : cases) {
        simulated.push_back(draft->AttachmentList()->AddNew(c.name, AttachmentBytes(c.size, seed++), c.kind));
        simulated.back()->SetStreaming(c.streaming);
    }
    const auto attachments = ThroughCom(draft)->Attachments();
    const std::wstring scratch = ground_.LocalPath(L"Parcelon\\" + std::wstring(compose::kScratchFolderName));

    for (std::size_t at = 0; at < std::size(cases); ++at) {
        const Case& c = cases[at];
        SCOPED_TRACE(Narrow(c.name));
        const std::optional<service::OutgoingAttachment> read =
            compose::ReadAttachment(*attachments->Item(static_cast<int>(at + 1)));
        ASSERT_EQ(read.has_value(), c.read);
        if (read) {
            EXPECT_EQ(read->fileName, c.name);
            EXPECT_TRUE(read->bytes == AttachmentBytes(c.size, static_cast<unsigned>(at)));
        }
        const std::vector<std::wstring>& saved = simulated[at]->SavedTo();
        if (c.kind != outlook::olEmbeddeditem) {
            EXPECT_TRUE(saved.empty()) << "read from its stream";
            continue;
        }
        ASSERT_EQ(saved.size(), 1u);
        EXPECT_EQ(saved[0].rfind(L'\\'), scratch.size()) << Narrow(saved[0]);
        EXPECT_EQ(saved[0].substr(0, scratch.size()), scratch) << Narrow(saved[0]);
    }
    EXPECT_NE(GetFileAttributesW(scratch.c_str()), INVALID_FILE_ATTRIBUTES) << "the attached item's copy went there";
    EXPECT_TRUE(FilesIn(scratch).empty()) << Narrow(FilesIn(scratch).front());
}

// The account-management service: the DLL's adapters over the served manager, with the add-in's helper.
class AccountServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ground_.Begin();
        Outlook().AddAccount(
            {.type = outlook::olPop3, .displayName = L"Home", .smtpAddress = L"ann@home.example", .accountId = 5});
        work_ = Outlook().AddAccount(
            {.type = outlook::olImap, .displayName = L"Work", .smtpAddress = L"ann@work.example", .accountId = 9});
    }
    void TearDown() override { ground_.End(); }

    sim::SimOutlook& Outlook() { return ground_.Outlook(); }
    Ref<olk::AccountManager> Manager() {
        Ref<olk::AccountManager> manager;
        EXPECT_EQ(outlook::win32::CreateComAccountManager(manager), S_OK);
        return manager;
    }

    ComGround ground_{11};
    Ref<sim::SimAccount> work_;
};

std::wstring TextProp(olk::Account& account, mapi::PropTag tag) {
    olk::AccountValue value;
    if (FAILED(account.GetProp(tag, value))) return L"(failed)";
    const auto* text = std::get_if<std::wstring>(&value);
    return text != nullptr ? *text : L"(not text)";
}

TEST_F(AccountServiceTest, TheServiceListsTheMailAccountsInOrderAndKeepsTheHelperWhileItLives) {
    Outlook().SetDefaultMailAccount(work_);
    const mailstore::AccountHelperHolder helper(mailstore::CAccountHelper::Create(L"Outlook", nullptr));
    {
        const std::size_t served = sim::win32::AccountManagersServed();
        const Ref<olk::AccountManager> manager = Manager();
        ASSERT_NE(manager, nullptr);
        EXPECT_EQ(sim::win32::AccountManagersServed(), served + 1);  // made by the registered class
        ASSERT_EQ(manager->Init(*helper, olk::ACCT_INIT_NOSYNCH_MAPI_ACCTS), S_OK);
        EXPECT_EQ(References(*helper), 2u);  // the creator's, and the one the service keeps

        Ref<olk::AccountEnum> accounts;
        ASSERT_EQ(manager->EnumerateAccounts(olk::CLSID_OlkMail, nullptr, 0, accounts), S_OK);
        std::uint32_t count = 0;
        EXPECT_EQ(accounts->GetCount(count), S_OK);
        EXPECT_EQ(count, 2u);
        ASSERT_EQ(accounts->Reset(), S_OK);
        Ref<olk::Account> account;
        ASSERT_EQ(accounts->GetNext(account), S_OK);
        olk::AccountValue id;
        EXPECT_EQ(account->GetProp(olk::PROP_ACCT_ID, id), S_OK);
        EXPECT_EQ(id, olk::AccountValue{5u});
        EXPECT_EQ(TextProp(*account, olk::PROP_ACCT_NAME), L"Home");
        EXPECT_EQ(TextProp(*account, olk::PROP_ACCT_USER_EMAIL_ADDR), L"ann@home.example");
        olk::AccountValue missing;
        EXPECT_EQ(account->GetProp(olk::PROP_ACCT_EXCHANGE_ADDRESS, missing), olk::E_AcctNotFound);
        ASSERT_EQ(accounts->GetNext(account), S_OK);
        EXPECT_EQ(TextProp(*account, olk::PROP_ACCT_NAME), L"Work");
        EXPECT_EQ(accounts->GetNext(account), S_FALSE);
        EXPECT_EQ(account, nullptr);

        std::vector<std::uint32_t> order;
        EXPECT_EQ(manager->GetOrder(olk::CLSID_OlkMail, order), S_OK);
        EXPECT_EQ(order, (std::vector<std::uint32_t>{9, 5}));
        EXPECT_EQ(sim::win32::OutstandingAccountMemory(), 0u);  // every string and the order given back
    }
    EXPECT_EQ(References(*helper), 1u);  // the service let it go with its last reference
}

TEST_F(AccountServiceTest, TheHelperIsOneComObjectWhoseReferencesAreTheHelpers) {
    const Ref<mapi::Session> session = ground_.Application()->Session()->MAPIOBJECT();
    const mailstore::AccountHelperHolder helper(mailstore::CAccountHelper::Create(L"Outlook", session));
    const auto com = ComPtr<IOlkAccountHelper>::Attach(outlook::win32::NewComAccountHelper(*helper));
    EXPECT_EQ(References(*helper), 2u);

    const auto unknown = com.As<IUnknown>(IID_IUnknown);
    const auto again = unknown.As<IOlkAccountHelper>(IID_IOlkAccountHelper);
    EXPECT_EQ(static_cast<void*>(unknown.Get()), static_cast<void*>(com.Get()));
    EXPECT_EQ(again.Get(), com.Get());
    EXPECT_EQ(References(*helper), 4u);
    EXPECT_FALSE(com.As<IOlkAccount>(IID_IOlkAccount));

    DWORD count = 0;
    EXPECT_EQ(com->GetIdentity(nullptr, &count), E_OUTOFMEMORY);
    EXPECT_EQ(count, 8u);  // "Outlook" and its terminator
    std::wstring identity(count, L'?');
    EXPECT_EQ(com->GetIdentity(identity.data(), &count), S_OK);
    EXPECT_EQ(identity, std::wstring(L"Outlook", 8));

    ComPtr<IUnknown> mapiSession;
    ASSERT_EQ(com->GetMapiSession(mapiSession.Receive()), S_OK);
    EXPECT_TRUE(mapiSession.As<IMAPISession>(IID_IMAPISession));
    EXPECT_EQ(static_cast<void*>(mapiSession.Get()), static_cast<void*>(outlook::win32::RawSession(*session)));
    EXPECT_EQ(com->GetMapiSession(nullptr), E_INVALIDARG);

    const mailstore::AccountHelperHolder sessionless(mailstore::CAccountHelper::Create(L"Outlook", nullptr));
    const ComPtr<IOlkAccountHelper> bare =
        ComPtr<IOlkAccountHelper>::Attach(outlook::win32::NewComAccountHelper(*sessionless));
    EXPECT_EQ(bare->GetMapiSession(mapiSession.Receive()), E_NOTIMPL);
}

TEST_F(AccountServiceTest, AFailedInitKeepsNothingAndAnUnregisteredClassIsReported) {
    const mailstore::AccountHelperHolder stranger(mailstore::CAccountHelper::Create(L"Another profile", nullptr));
    const Ref<olk::AccountManager> manager = Manager();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->Init(*stranger, olk::ACCT_INIT_NOSYNCH_MAPI_ACCTS), olk::E_AcctNotFound);
    EXPECT_EQ(References(*stranger), 1u);
    Ref<olk::AccountEnum> accounts;
    EXPECT_TRUE(FAILED(manager->EnumerateAccounts(olk::CLSID_OlkMail, nullptr, 0, accounts)));
    EXPECT_EQ(accounts, nullptr);

    Outlook().FailMember(L"OlkAccountManager.Create", static_cast<outlook::HResult>(E_ACCESSDENIED), L"", 1);
    Ref<olk::AccountManager> refused;
    EXPECT_EQ(outlook::win32::CreateComAccountManager(refused), E_ACCESSDENIED);
    EXPECT_EQ(refused, nullptr);
}

TEST(AccountServiceClassTest, WithoutOutlooksClassTheServiceIsNotRegistered) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    Ref<olk::AccountManager> manager;
    EXPECT_EQ(outlook::win32::CreateComAccountManager(manager), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(manager, nullptr);
    CoUninitialize();
}

// The mail-store operations on objects that reach them only through IDispatch, the MAPI interfaces and the
// account-management service's COM interfaces.
class MailStoreThroughCom : public ::testing::Test {
protected:
    explicit MailStoreThroughCom(int version) : version_(version), ground_(version) {}
    void SetUp() override { ground_.Begin(); }
    void TearDown() override { ground_.End(); }

    int Version() const { return version_; }
    sim::SimOutlook& Outlook() { return ground_.Outlook(); }
    bool InFolder(outlook::DefaultFolder folder, const Ref<sim::SimMailItem>& item) {
        const auto& items = Outlook().Folder(folder)->Items();
        return std::find(items.begin(), items.end(), item) != items.end();
    }
    Ref<sim::SimMailItem> Received(std::wstring headers) {
        return Outlook().AddReceivedMail({.subject = L"Hi", .transportHeaders = std::move(headers)});
    }
    Ref<sim::SimAccount> Account(std::wstring name, std::wstring smtp, std::optional<std::uint32_t> id = {}) {
        return Outlook().AddAccount(
            {.type = outlook::olPop3, .displayName = std::move(name), .smtpAddress = std::move(smtp), .accountId = id});
    }
    template <class Resolve>
    std::wstring Resolved(Resolve&& resolve) {
        const std::size_t before = diagnostics::CollectAllLogs().size();
        std::wstring address = resolve();
        log_ = diagnostics::CollectAllLogs().substr(before);
        return address;
    }

    const int version_;
    ComGround ground_;
    ComAccountManagerRoute route_;
    std::string log_;
};

// What differs between versions, in every version.
class MailStoreThroughComTest : public MailStoreThroughCom, public ::testing::WithParamInterface<int> {
protected:
    MailStoreThroughComTest() : MailStoreThroughCom(GetParam()) {}
};

// What takes the same path in every version, once.
class MailStoreThroughComOnceTest : public MailStoreThroughCom {
protected:
    MailStoreThroughComOnceTest() : MailStoreThroughCom(14) {}
};

TEST_F(MailStoreThroughComOnceTest, ADraftIsSavedThenDeletedPastDeletedItems) {
    const auto draft = Outlook().CreateMailItem();
    draft->SetSubject(L"secure");
    EXPECT_TRUE(mailstore::DeleteMessagePermanently(ThroughCom(draft)));

    EXPECT_TRUE(draft->IsSaved());
    EXPECT_TRUE(draft->IsDeleted());
    EXPECT_FALSE(InFolder(outlook::olFolderDrafts, draft));
    EXPECT_TRUE(Outlook().Folder(outlook::olFolderDeletedItems)->Items().empty());
    EXPECT_TRUE(Outlook().User().Shown().empty());
    EXPECT_EQ(ground_.Journal(),
              (std::vector<std::wstring>{L"Session.OpenMsgStore 0x00000011", L"MsgStore.OpenEntry 0x00000010",
                                         L"Folder.DeleteMessages 1"}));
}

TEST_F(MailStoreThroughComOnceTest, AFailureInTheStoreLeavesTheMessageAndTellsTheUserOnce) {
    for (const mailstore::cases::DeletionFailure& c : mailstore::cases::DeletionFailures()) {
        const auto draft = Outlook().CreateMailItem();
        const std::size_t boxesBefore = Outlook().User().Shown().size();
        Outlook().FailMember(c.member, outlook::hr::E_Fail, L"", 1);

        EXPECT_FALSE(mailstore::DeleteMessagePermanently(ThroughCom(draft))) << Narrow(c.member);

        EXPECT_TRUE(InFolder(outlook::olFolderDrafts, draft)) << Narrow(c.member);
        ASSERT_EQ(Outlook().User().Shown().size(), boxesBefore + 1) << Narrow(c.member);
        EXPECT_EQ(Outlook().User().Shown().back().request.caption, L"Parcelon for Microsoft Outlook");
        EXPECT_TRUE(Contains(diagnostics::CollectAllLogs(), c.line)) << Narrow(c.member);
    }
}

TEST_F(MailStoreThroughComOnceTest, AHeaderIsReadOnlyAtTheStartOfALineAndLowerCased) {
    for (const mailstore::cases::HeaderCase& c : mailstore::cases::MessageIdHeaders()) {
        EXPECT_EQ(mailstore::GetInternetHeaderValue(mailstore::kMessageIdHeader, ThroughCom(Received(c.headers))),
                  c.value)
            << c.name;
    }
    EXPECT_EQ(mailstore::GetInternetHeaderValue(mailstore::kMessageIdHeader, ThroughCom(Outlook().CreateMailItem())),
              L"");
    EXPECT_TRUE(mailstore::IsServiceCopy(ThroughCom(Received(L"X-Parcelon-Copy: TRUE\r\n"))));
}

TEST_P(MailStoreThroughComTest, TheProfileNameComesFromTheSessionOrItsGlobalSection) {
    EXPECT_EQ(mailstore::GetMapiProfileName(ground_.Application()), L"Outlook");
    EXPECT_EQ(ground_.Journal().size(), Version() == 11 ? 1u : 0u);  // the profile section on Outlook 2003 only
}

TEST_P(MailStoreThroughComTest, TheServicesListKeepsEveryAccountWithItsIdAndExchangeAddress) {
    constexpr const wchar_t* kExchangeName = L"/o=Corp/ou=First/cn=Recipients/cn=ann";
    Outlook().AddAccount({.type = outlook::olPop3, .displayName = L"Home", .smtpAddress = L"ann@home.example"});
    Outlook().AddAccount({.type = outlook::olExchange,
                          .displayName = L"Exchange",
                          .smtpAddress = L"ann@corp.example",
                          .currentUserAddress = kExchangeName});
    Outlook().AddAccount({.type = outlook::olOtherAccount,
                          .displayName = L"Google Apps - ann@apps.example",
                          .provider = L"GSync",
                          .providerAddresses = L"ann@apps.example;team@apps.example"});
    const std::size_t served = sim::win32::AccountManagersServed();

    const std::vector<mailstore::OutlookAccount> accounts = mailstore::ListAccounts(ground_.Application(), true);

    EXPECT_GT(sim::win32::AccountManagersServed(), served);
    ASSERT_EQ(accounts.size(), 3u);
    EXPECT_EQ(accounts[0].id, 1);
    EXPECT_EQ(accounts[0].smtpAddress, L"ann@home.example");
    EXPECT_EQ(accounts[0].typeText, L"POP3");
    EXPECT_TRUE(accounts[1].isExchange);
    EXPECT_EQ(accounts[1].smtpAddress, kExchangeName);
    EXPECT_EQ(accounts[2].typeText, L"GSYNC");
    EXPECT_EQ(accounts[2].smtpAddress, L"ann@apps.example");
    EXPECT_TRUE(accounts[2].isGoogleApps);
    EXPECT_TRUE(Outlook().User().Shown().empty());
}

TEST_P(MailStoreThroughComTest, TheSenderComesFromTheChosenAccountTheStampOrTheCurrentUser) {
    Account(L"Home", L"home@example.com", 7);
    const auto work = Account(L"Work", L"work@example.com", 8);
    const auto sender = [&](const std::wstring& stamp, const Ref<sim::SimAccount>& account) {
        const auto draft = Outlook().CreateMailItem();
        if (!stamp.empty()) draft->SetAccountStamp(stamp);
        draft->UseAccount(account);
        return Resolved([&] { return mailstore::GetSenderAddress(ThroughCom(draft)); });
    };
    EXPECT_EQ(sender(L"00000007", work), Version() == 11 ? L"home@example.com" : L"work@example.com");
    EXPECT_EQ(sender(L"00000008", nullptr), L"work@example.com");
    EXPECT_TRUE(Contains(log_, "Trying to get sender info from 0x8581 property\n"));
    EXPECT_EQ(sender(L"", nullptr), kUser);
    EXPECT_TRUE(Contains(log_, "Trying to get sender info from pCurrentUser->Address\n"));
    EXPECT_FALSE(Contains(log_, "WARNING!"));

    // An Exchange current user: its Exchange user's address from Outlook 2007 on, the mapping before.
    Outlook().Session()->SetCurrentUser(
        sim::AddressBookEntry{L"Boss", L"/o=Org/cn=boss", L"EX", 0, L"boss@corp.example", {}});
    EXPECT_EQ(sender(L"", nullptr), Version() > 11 ? L"boss@corp.example" : L"");
    EXPECT_EQ(Contains(log_, "WARNING! All attempts to retrieve sender info failed!\n"), Version() == 11);
}

TEST_P(MailStoreThroughComTest, TheReceiverIsTheReceivingAccountOrTheMailboxItWasDeliveredTo) {
    const auto work = Account(L"Work", L"work@example.com");
    const auto mail = Outlook().AddReceivedMail({.subject = L"Hi", .to = {L"me@home.example"}});
    const auto receiver = [&] { return Resolved([&] { return mailstore::GetReceiverAddress(ThroughCom(mail)); }); };

    EXPECT_EQ(receiver(), L"me@home.example");
    mail->UseAccount(work);
    EXPECT_EQ(receiver(), Version() > 11 ? L"work@example.com" : L"me@home.example");
    mail->UseAccount(nullptr);
    mail->SetReceivedByAddress(L"");
    EXPECT_EQ(receiver(), L"");
    EXPECT_TRUE(Contains(log_, "Getting PR_RECEIVED_BY_EMAIL_ADDRESS_W failed. Error code is 8004010f"));
}

TEST_P(MailStoreThroughComTest, ARecipientsSmtpAddressComesFromItsExchangeUserOrItsAddressBookProperties) {
    mailstore::cases::AddExchangeEntries(Outlook());
    // The recipients of a received message, resolved as the callers meet them.
    sim::ReceivedMailSetup setup;
    for (const mailstore::cases::RecipientCase& c : mailstore::cases::RecipientAddresses())
        setup.to.push_back(c.recipient);
    const Ref<outlook::Recipients> recipients = ThroughCom(Outlook().AddReceivedMail(setup))->Recipients();
    for (int index = 1; const mailstore::cases::RecipientCase& c : mailstore::cases::RecipientAddresses()) {
        EXPECT_EQ(mailstore::GetRecipientSmtpAddress(recipients->Item(index++)), c.address) << Narrow(c.recipient);
    }
}

INSTANTIATE_TEST_SUITE_P(Outlook, MailStoreThroughComTest, ::testing::Values(11, 12, 14),
                         [](const auto& info) { return "Outlook" + std::to_string(info.param); });

// The end of a send on Outlook 2010, through the object model's and Extended MAPI's adapters, with the expectations
// the completion has on the simulation directly.
class SendCompletionThroughComTest : public ::testing::Test {
protected:
    struct Notice {
        platform::WindowHandle owner;
        std::wstring text;
    };

    void SetUp() override { ground_.Begin(); }
    void TearDown() override { ground_.End(); }

    sim::SimOutlook& Outlook() { return ground_.Outlook(); }
    Ref<sim::SimMailItem> Draft() {
        auto draft = Outlook().CreateMailItem();
        draft->SetSubject(L"Figures");
        draft->Recipients()->Add(L"bob@example.com");
        draft->Save();
        return draft;
    }
    // One completion as the send queue's worker hands it over: the draft sent as ann@apps.example, whose account
    // asks for the copy in the Sent folder.
    service::ServiceResult Complete(const Ref<sim::SimMailItem>& draft, service::ServiceResult result) {
        service::OutgoingMessage message;
        message.item = ThroughCom(draft);
        message.email = L"ann@apps.example";
        message.settings.place = 1;
        std::wstring errorText;
        bool done = false;
        int attempts = 0;
        compose::SendCompletion completion{result, message, done, errorText, attempts};
        compose::RouterWindow router(ground_.Application(),
                                     [this](platform::WindowHandle owner, const std::wstring& text) {
                                         notices_.push_back({owner, text});
                                     });
        router.Complete(completion);
        EXPECT_TRUE(done);
        return result;
    }

    ComGround ground_{14};
    std::vector<Notice> notices_;
};

mapi::PropData ValueOf(const Ref<sim::SimMailItem>& item, mapi::PropTag tag) {
    const auto value = item->Props().Find(tag);
    return value ? value->data : mapi::PropData{};
}

TEST_F(SendCompletionThroughComTest, ASentMessageLeavesDraftsWithItsCopyInTheSendingAccountsSentFolder) {
    const std::wstring apps = L"Google Apps - ann@apps.example";
    Outlook().AddStore(apps);
    Outlook().AddAccount({.type = outlook::olPop3, .displayName = L"Home", .smtpAddress = L"home@example.com"});
    const auto account = Outlook().AddAccount(
        {.type = outlook::olImap, .displayName = apps, .smtpAddress = L"ann@apps.example", .deliveryStore = apps});
    const auto draft = Draft();
    draft->UseAccount(account);
    ground_.Clock().Advance(90000);

    EXPECT_EQ(Complete(draft, service::ServiceResult::Success), service::ServiceResult::Success);

    EXPECT_TRUE(Outlook().Folder(outlook::olFolderDrafts)->Items().empty()) << "the draft is deleted for good";
    EXPECT_TRUE(Outlook().Folder(outlook::olFolderDeletedItems)->Items().empty());
    EXPECT_TRUE(Outlook().Folder(outlook::olFolderSentMail)->Items().empty()) << "not the default Sent folder";
    const auto copies = Outlook().Folder(outlook::olFolderSentMail, apps)->Items();
    ASSERT_EQ(copies.size(), 1u);
    const auto& copy = copies[0];
    EXPECT_EQ(copy->Props().Text(PR_SUBJECT_W), compose::kSentCopyPrefix + std::wstring(L"Figures"));
    EXPECT_EQ(copy->MessageFlags() & (MSGFLAG_READ | MSGFLAG_UNSENT), MSGFLAG_READ);
    const mapi::PropData now{mapi::FileTimeFromUnix(ground_.Clock().UtcSeconds())};
    EXPECT_EQ(ValueOf(copy, PR_CLIENT_SUBMIT_TIME), now);
    EXPECT_EQ(ValueOf(copy, PR_MESSAGE_DELIVERY_TIME), now);
    EXPECT_EQ(copy->Props().Text(PR_SENDER_NAME_W), L"ann@apps.example");
    EXPECT_EQ(copy->RecipientList()->List().size(), 1u) << "the copy is the message whole";
    EXPECT_TRUE(notices_.empty());
    EXPECT_TRUE(Outlook().User().Shown().empty());
    // A plain message (no MAPI_ASSOCIATED), copied whole and kept open as the store's calls expect.
    EXPECT_EQ(ground_.Journal(),
              (std::vector<std::wstring>{L"Folder.CreateMessage 0x00000000", L"Message.CopyTo 0x00000000",
                                         L"Message.SaveChanges 0x00000002", L"Session.OpenMsgStore 0x00000011",
                                         L"MsgStore.OpenEntry 0x00000010", L"Folder.DeleteMessages 1"}));
}

TEST_F(SendCompletionThroughComTest, AFailureBringsTheDraftBackOnScreenOwningTheNotice) {
    const auto draft = Draft();

    EXPECT_EQ(Complete(draft, service::ServiceResult::NotFound), service::ServiceResult::Failed);

    const auto inspector = draft->CurrentInspector();
    ASSERT_NE(inspector, nullptr);
    EXPECT_TRUE(inspector->IsDisplayed());
    EXPECT_EQ(Outlook().Application()->ActiveInspector(), inspector);
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_NE(notices_[0].owner, platform::kNoWindow);
    EXPECT_EQ(notices_[0].owner, inspector->FrameWindow());
    EXPECT_EQ(notices_[0].text, compose::kUnexpectedSendErrorText);
    EXPECT_EQ(Outlook().Folder(outlook::olFolderDrafts)->Items().size(), 1u) << "a failed message stays a draft";
    EXPECT_TRUE(Outlook().Folder(outlook::olFolderSentMail)->Items().empty());
}

}  // namespace
}  // namespace sealwing
