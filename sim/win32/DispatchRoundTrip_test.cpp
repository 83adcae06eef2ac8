// The object-model adapter and the harness's served objects, proven against each other in one process: the
// simulated Outlook is served through IDispatch, wrapped again by the adapter, and the portable add-in starts on the
// result exactly as it starts on the simulation directly.

#include <windows.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "addin/SealwingAddin.h"
#include "outlook/AccountManagement.h"
#include "platform/Text.h"
#include "sim/SimInspector.h"
#include "sim/SimWordDocument.h"
#include "sim/win32/DispatchWorld.h"
#include "sim/win32/EventForwarder.h"

namespace sealwing {
namespace {

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

std::size_t JournalCount(const sim::SimOutlook& outlook, const std::wstring& entry) {
    std::size_t count = 0;
    for (const auto& line : outlook.Journal()) count += line == entry ? 1 : 0;
    return count;
}

class DispatchRoundTrip : public ::testing::Test {
protected:
    explicit DispatchRoundTrip(int majorVersion) : world_(majorVersion) {}
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override {
        EXPECT_TRUE(sim::win32::EventFailures().empty()) << platform::Utf8FromWide(sim::win32::EventFailures()[0]);
        CoUninitialize();
    }

    sim::win32::DispatchWorld world_;
    CSealwingAddin addin_;
};

// What differs by version: the compose windows' handles, the members a version lacks.
class DispatchRoundTripTest : public DispatchRoundTrip, public ::testing::WithParamInterface<int> {
protected:
    DispatchRoundTripTest() : DispatchRoundTrip(GetParam()) {}
};

// What crosses alike in every version, once on Outlook 2010.
class DispatchRoundTripOnceTest : public DispatchRoundTrip {
protected:
    DispatchRoundTripOnceTest() : DispatchRoundTrip(14) {}
};

TEST_P(DispatchRoundTripTest, StartUpWrapsOpenWindowsConnectsTheSinksAndDisconnectionUndoesIt) {
    auto& outlook = world_.Outlook();
    const auto inbox = outlook.OpenExplorer(L"Inbox - Microsoft Outlook");
    outlook.OpenExplorer(L"Calendar - Microsoft Outlook");
    const auto draft = outlook.OpenInspector(outlook.CreateMailItem());
    outlook.OpenInspector(outlook.CreateMailItem());
    outlook.ActivateExplorer(inbox);
    outlook.AddComAddIn(L"{11111111-2222-3333-4444-555555555555}", L"Other.Addin", L"Another add-in");

    ASSERT_EQ(addin_.OnConnection(world_.Host(), outlook::ext_cm_Startup), 0);

    EXPECT_EQ(addin_.OutlookMajorVersion(), GetParam());
    EXPECT_EQ(addin_.ExplorerExtensionCount(), 2u);
    EXPECT_EQ(addin_.InspectorExtensionCount(), 2u);
    EXPECT_EQ(addin_.FindComposeWindow(draft->Window()) != nullptr, GetParam() > 11);  // handle through IOleWindow
    EXPECT_EQ(addin_.OwnerWindow(), inbox->Window());
    EXPECT_EQ(JournalCount(outlook, L"Advise ExplorerEvents"), 2u);
    EXPECT_EQ(JournalCount(outlook, L"Advise InspectorEvents"), 2u);
    std::vector<std::wstring> collections;
    for (const auto& entry : outlook.Journal()) {
        if (entry.ends_with(L"InspectorsEvents") || entry.ends_with(L"ExplorersEvents") ||
            entry.ends_with(L"ApplicationEvents")) {
            collections.push_back(entry);
        }
    }
    EXPECT_EQ(collections, (std::vector<std::wstring>{L"Advise InspectorsEvents", L"Advise ExplorersEvents",
                                                      L"Advise ApplicationEvents"}));
    const std::string log = world_.LogFile(L"Main");
    EXPECT_NE(log.find("===Main log"), std::string::npos);
    EXPECT_NE(log.find("Outlook version " + platform::Utf8FromWide(outlook.Application()->Version())),
              std::string::npos);
    EXPECT_NE(log.find("Other.Addin"), std::string::npos) << log;  // COMAddIns read through IDispatch
    EXPECT_EQ(Occurrences(log, "New inspector opened in SealwingAddin.cpp(132)"), 2u);

    EXPECT_EQ(addin_.OnDisconnection(outlook::ext_dm_HostShutdown), 0);
    EXPECT_EQ(outlook.AdvisedSinks(), 0u);
    EXPECT_EQ(outlook.WrongThreadCalls(), 0u);
}

TEST_P(DispatchRoundTripTest, EventsCrossBothWaysAndWindowsAreReleasedWhenTheyClose) {
    auto& outlook = world_.Outlook();
    ASSERT_EQ(addin_.OnConnection(world_.Host(), outlook::ext_cm_Startup), 0);

    const auto explorer = outlook.OpenExplorer();  // NewExplorer with an IDispatch argument
    const auto inspector = outlook.OpenInspector(outlook.CreateMailItem());
    EXPECT_EQ(addin_.ExplorerExtensionCount(), 1u);
    EXPECT_EQ(addin_.InspectorExtensionCount(), 1u);
    EXPECT_EQ(addin_.ComposeWindowCount(), GetParam() > 11 ? 1u : 0u);

    outlook.CloseInspector(inspector);  // the sink unadvises itself from inside the event
    outlook.CloseExplorer(explorer);
    EXPECT_EQ(addin_.ExplorerExtensionCount(), 0u);
    EXPECT_EQ(addin_.InspectorExtensionCount(), 0u);
    EXPECT_EQ(JournalCount(outlook, L"Unadvise InspectorEvents"), 1u);
    EXPECT_EQ(JournalCount(outlook, L"Unadvise ExplorerEvents"), 1u);
    addin_.OnDisconnection(outlook::ext_dm_HostShutdown);
    EXPECT_EQ(outlook.AdvisedSinks(), 0u);
}

TEST_F(DispatchRoundTripOnceTest, ASimulatedFailureArrivesWithItsCodeAndDescription) {
    auto& outlook = world_.Outlook();
    outlook.OpenExplorer();
    outlook.FailMember(L"Application.Inspectors", static_cast<outlook::HResult>(0x80004005), L"Simulated failure", 1);

    ASSERT_EQ(addin_.OnConnection(world_.Host(), outlook::ext_cm_Startup), 0);

    EXPECT_EQ(addin_.ExplorerExtensionCount(), 0u);
    EXPECT_EQ(addin_.ApplicationSink().Cookie(), outlook::kNotConnected);
    EXPECT_NE(world_.LogFile(L"Main").find("COM exception. Code 80004005. Description \"Simulated failure\""),
              std::string::npos);
    addin_.OnDisconnection(outlook::ext_dm_HostShutdown);
}

INSTANTIATE_TEST_SUITE_P(Versions, DispatchRoundTripTest, ::testing::Values(11, 12, 14));

// The adapter alone, on served objects: the failures and conversions the add-in's scenarios do not reach.
class DispatchAdapterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }

    sim::win32::DispatchWorld world_{12};
};

template <class Call>
outlook::ComError CaughtError(Call&& call) {
    try {
        call();
    } catch (const outlook::ComError& error) {
        return error;
    }
    return outlook::ComError(0, L"no error");
}

TEST_F(DispatchAdapterTest, AWindowFailureCarriesTheErrorInfoDescription) {
    auto& outlook = world_.Outlook();
    outlook.OpenExplorer();
    outlook.FailMember(L"Explorer.GetWindow", static_cast<outlook::HResult>(0x80004005), L"No frame yet", 1);
    const auto application = std::dynamic_pointer_cast<outlook::Application>(world_.Host());
    const auto explorer = application->Explorers()->Item(1);

    const auto error = CaughtError([&] { explorer->Window(); });
    EXPECT_EQ(error.Code(), static_cast<outlook::HResult>(0x80004005));
    EXPECT_EQ(error.Description(), L"No frame yet");
    EXPECT_NE(explorer->Window(), platform::kNoWindow);  // the failure was for one call only
}

TEST_F(DispatchAdapterTest, ItemsArriveTypedAndPropertiesRoundTrip) {
    auto& outlook = world_.Outlook();
    const auto item = outlook.CreateMailItem();
    outlook.OpenInspector(item);
    const auto application = std::dynamic_pointer_cast<outlook::Application>(world_.Host());

    const auto mail = std::dynamic_pointer_cast<outlook::MailItem>(application->Inspectors()->Item(1)->CurrentItem());
    ASSERT_NE(mail, nullptr);
    mail->SetSubject(L"Quarterly figures");
    EXPECT_EQ(item->Subject(), L"Quarterly figures");
    EXPECT_EQ(mail->Subject(), L"Quarterly figures");
    EXPECT_FALSE(mail->Sent());
    EXPECT_EQ(mail->EntryID(), L"");
    mail->Save();
    EXPECT_EQ(mail->EntryID(), item->EntryID());
    EXPECT_NE(mail->EntryID(), L"");
    EXPECT_EQ(application->ActiveInspector() != nullptr, true);
    EXPECT_EQ(application->Explorers()->Count(), 0);
    EXPECT_EQ(application->ActiveExplorer(), nullptr);  // Nothing arrives as an empty Ref
}

// A date crosses as VT_DATE, its automation-date number unchanged; a draft's is Outlook's "never".
TEST_F(DispatchAdapterTest, SentOnCrossesAsADate) {
    auto& outlook = world_.Outlook();
    const auto received = outlook.AddReceivedMail({.subject = L"Q3", .sentOn = 46366.5 + 1.0 / 86400.0});
    const auto application = std::dynamic_pointer_cast<outlook::Application>(world_.Host());

    const auto mail =
        std::dynamic_pointer_cast<outlook::MailItem>(application->Session()->GetItemFromID(received->EntryID(), L""));
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(mail->SentOn(), 46366.5 + 1.0 / 86400.0);
    outlook.OpenInspector(outlook.CreateMailItem());
    const auto draft = std::dynamic_pointer_cast<outlook::MailItem>(application->Inspectors()->Item(1)->CurrentItem());
    ASSERT_NE(draft, nullptr);
    EXPECT_EQ(draft->SentOn(), outlook::kNoDate);
}

TEST_F(DispatchAdapterTest, UserPropertiesAndAttachmentsCrossWithTheirValuesAndBytes) {
    auto& outlook = world_.Outlook();
    const auto item = outlook.CreateMailItem();
    outlook.OpenInspector(item);
    const auto application = std::dynamic_pointer_cast<outlook::Application>(world_.Host());
    const auto mail = std::dynamic_pointer_cast<outlook::MailItem>(application->Inspectors()->Item(1)->CurrentItem());
    ASSERT_NE(mail, nullptr);

    const auto properties = mail->UserProperties();
    EXPECT_EQ(properties->Find(L"SecureId"), nullptr);  // Nothing arrives as an empty Ref
    const auto added = properties->Add(L"SecureId", outlook::olText, false, 0);
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Name(), L"SecureId");
    for (const outlook::Variant& value : {outlook::Variant{std::wstring(L"abc-12")}, outlook::Variant{std::int32_t{42}},
                                          outlook::Variant{true}, outlook::Variant{2.5}, outlook::Variant{}}) {
        added->SetValue(value);
        EXPECT_EQ(properties->Find(L"secureid")->Value(), value);
    }

    platform::Win32TempFolder folder;
    const std::wstring source = folder.At(L"report.pdf");
    std::ofstream(source.c_str(), std::ios::binary) << "%PDF bytes";
    const auto attachments = mail->Attachments();
    const auto attached = attachments->Add(source, outlook::olByValue, 1, L"Quarterly report");
    ASSERT_NE(attached, nullptr);
    EXPECT_EQ(attachments->Count(), 1);
    EXPECT_EQ(attached->FileName(), L"report.pdf");
    EXPECT_EQ(attachments->Item(1)->DisplayName(), L"Quarterly report");
    EXPECT_EQ(attached->Type(), outlook::olOLE);  // until the item is saved
    mail->Save();
    EXPECT_EQ(attached->Type(), outlook::olByValue);
    const std::wstring copy = folder.At(L"copy.pdf");
    attached->SaveAsFile(copy);
    std::ifstream in(copy.c_str(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "%PDF bytes");
    const auto missing = CaughtError([&] { attachments->Add(folder.At(L"absent.pdf"), outlook::olByValue, 1, L""); });
    EXPECT_EQ(missing.Code(), static_cast<outlook::HResult>(0x80070002));
}

TEST_F(DispatchAdapterTest, AnIndexOutOfRangeAndAMemberTheVersionLacksAreTypedErrors) {
    const auto application = std::dynamic_pointer_cast<outlook::Application>(world_.Host());
    const auto badIndex = CaughtError([&] { application->Inspectors()->Item(5); });
    EXPECT_TRUE(outlook::Failed(badIndex.Code()));
    EXPECT_FALSE(badIndex.Description().empty());
    // Nothing where an item belongs reaches the simulation as nothing, not as some served object.
    EXPECT_EQ(CaughtError([&] { application->Inspectors()->Add(nullptr); }).Code(), outlook::hr::E_InvalidArg);
    // Store.GetDefaultFolder came with Outlook 2010; this is 2007.
    const auto store = application->Session()->GetDefaultFolder(outlook::olFolderInbox)->Store();
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->DisplayName(), L"Personal Folders");
    const auto lacking = CaughtError([&] { store->GetDefaultFolder(outlook::olFolderSentMail); });
    EXPECT_EQ(lacking.Code(), outlook::hr::DispE_UnknownName);
    EXPECT_EQ(lacking.Description(), L"Unknown name.");
}

TEST_F(DispatchAdapterTest, AFailedSpellingCheckArrivesWithWordsCodeAndDescription) {
    auto& outlook = world_.Outlook();
    const auto inspector = outlook.OpenInspector(outlook.CreateMailItem());
    const auto application = std::dynamic_pointer_cast<outlook::Application>(world_.Host());
    const auto document = application->Inspectors()->Item(1)->WordEditor();
    ASSERT_NE(document, nullptr);
    constexpr auto kCommandFailed = static_cast<outlook::HResult>(0x800A1066);  // Word's "command failed"
    outlook.FailMember(L"Document.CheckSpelling", kCommandFailed, L"Command failed", 1);

    const auto error = CaughtError([&] { document->CheckSpelling(); });
    EXPECT_EQ(error.Code(), kCommandFailed);
    EXPECT_EQ(error.Description(), L"Command failed");
    EXPECT_EQ(inspector->Document()->SpellingChecks(), 0u);
    document->CheckSpelling();  // the failure was for one call only
    EXPECT_EQ(inspector->Document()->SpellingChecks(), 1u);
}

// Inspector.WordEditor: Word's document wherever Word edits the item, checked through Word's _Document interface.
struct WordEditorCase {
    int version;
    bool wordEditsMailIn2003;
    bool offered;
};

class WordEditorTest : public ::testing::TestWithParam<WordEditorCase> {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { CoUninitialize(); }

    sim::win32::DispatchWorld world_{
        sim::SimOptions{.majorVersion = GetParam().version, .wordEditsMailIn2003 = GetParam().wordEditsMailIn2003}};
};

TEST_P(WordEditorTest, WordsDocumentIsOfferedWhereWordEditsAndRunsEachSpellingCheck) {
    auto& outlook = world_.Outlook();
    const auto inspector = outlook.OpenInspector(outlook.CreateMailItem());
    const auto application = std::dynamic_pointer_cast<outlook::Application>(world_.Host());

    const auto document = application->Inspectors()->Item(1)->WordEditor();

    ASSERT_EQ(document != nullptr, GetParam().offered);
    if (document == nullptr) return;
    document->CheckSpelling();
    document->CheckSpelling();
    EXPECT_EQ(inspector->Document()->SpellingChecks(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Editors, WordEditorTest,
                         ::testing::Values(WordEditorCase{11, false, false}, WordEditorCase{11, true, true},
                                           WordEditorCase{12, false, true}, WordEditorCase{14, false, true}),
                         [](const auto& info) {
                             return "Outlook" + std::to_string(info.param.version) +
                                    (info.param.wordEditsMailIn2003 ? "WithWord" : "");
                         });

}  // namespace
}  // namespace sealwing
