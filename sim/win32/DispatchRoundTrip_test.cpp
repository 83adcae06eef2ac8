// The object-model adapter and the harness's served objects, proven against each other in one process: the
// simulated Outlook is served through IDispatch, wrapped again by the adapter, and the portable add-in starts on the
// result exactly as it starts on the simulation directly.

#include <windows.h>
#include <gtest/gtest.h>
#include <olectl.h>

#include <fstream>
#include <iterator>

#include "addin/SealwingAddin.h"
#include "outlook/AccountManagement.h"
#include "outlook/win32/dispatch/ButtonPictureMaker.h"
#include "platform/Text.h"
#include "sim/SimCommandBar.h"
#include "sim/SimCommandBarControl.h"
#include "sim/SimCommandBarControls.h"
#include "sim/SimCommandBars.h"
#include "sim/SimExplorer.h"
#include "sim/SimInspector.h"
#include "sim/SimWordDocument.h"
#include "sim/win32/AddinRibbon.h"
#include "sim/win32/ButtonFaceRecord.h"
#include "sim/win32/DispatchWorld.h"
#include "sim/win32/EventForwarder.h"
#include "sim/win32/ServedRibbonControl.h"
#include "sim/win32/StandInButtonPictures.h"

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

TEST_F(DispatchAdapterTest, TheSelectionHoldsTheSelectedItemsAndTheReadingPaneShowsWhetherItIsVisible) {
    auto& outlook = world_.Outlook();
    const auto explorer = outlook.OpenExplorer();
    const auto first = outlook.AddReceivedMail({.subject = L"First"});
    const auto second = outlook.AddReceivedMail({.subject = L"Second"});
    outlook.Select(explorer, {first, second});
    const auto application = std::dynamic_pointer_cast<outlook::Application>(world_.Host());
    const auto served = application->Explorers()->Item(1);

    const auto selection = served->Selection();
    ASSERT_EQ(selection->Count(), 2);
    const auto item = std::dynamic_pointer_cast<outlook::MailItem>(selection->Item(2));
    ASSERT_NE(item, nullptr);  // typed through its Class, as any item
    EXPECT_EQ(item->Subject(), L"Second");
    EXPECT_TRUE(served->IsPaneVisible(outlook::olPreview));
    outlook.SetReadingPaneVisible(explorer, false);
    EXPECT_FALSE(served->IsPaneVisible(outlook::olPreview));
    outlook.Select(explorer, {});
    EXPECT_EQ(served->Selection()->Count(), 0);
}

// A draft's CreationTime crosses as a date, and Inspector.Close(olSave) saves the item and closes its window.
TEST_F(DispatchAdapterTest, ADraftHasItsCreationTimeAndClosingItsWindowWithSaveSavesIt) {
    auto& outlook = world_.Outlook();
    const auto draft = outlook.CreateMailItem();
    outlook.OpenInspector(draft);
    const auto application = std::dynamic_pointer_cast<outlook::Application>(world_.Host());
    const auto inspector = application->Inspectors()->Item(1);
    const auto mail = std::dynamic_pointer_cast<outlook::MailItem>(inspector->CurrentItem());
    ASSERT_NE(mail, nullptr);
    EXPECT_NE(mail->CreationTime(), outlook::kNoDate);
    EXPECT_EQ(mail->CreationTime(), draft->CreationTime());
    mail->SetSubject(L"Kept");

    inspector->Close(outlook::olSave);

    EXPECT_EQ(application->Inspectors()->Count(), 0);
    EXPECT_NE(draft->EntryID(), L"");
    EXPECT_EQ(draft->Subject(), L"Kept");
}

outlook::ControlPlacement Placed(std::optional<std::wstring> parameter, std::optional<int> before,
                                 std::optional<bool> temporary) {
    return outlook::ControlPlacement{std::move(parameter), before, temporary};
}

// What the round trips below do with command bars and their buttons.
class CommandBarRoundTrip : public DispatchAdapterTest {
protected:
    void SetUp() override {
        DispatchAdapterTest::SetUp();
        sim::win32::ForgetButtonFaces();
        explorer_ = world_.Outlook().OpenExplorer();
        const auto application = std::dynamic_pointer_cast<outlook::Application>(world_.Host());
        bars_ = application->Explorers()->Item(1)->CommandBars();
        ASSERT_NE(bars_, nullptr);
    }

    outlook::Ref<sim::SimExplorer> explorer_;
    outlook::Ref<outlook::CommandBars> bars_;
};

TEST_F(CommandBarRoundTrip, AButtonAddedBeforeAPositionTakesItWithItsTagAndGoesWhenDeleted) {
    const auto standard = bars_->Item(L"Standard");
    ASSERT_NE(standard, nullptr);
    EXPECT_EQ(standard->Name(), L"Standard");
    const auto controls = standard->Controls();
    const int before = controls->Count();
    ASSERT_GE(before, 2);

    const auto button = controls->Add(outlook::msoControlButton, Placed(std::nullopt, 2, true));
    ASSERT_NE(button, nullptr);
    button->SetTag(L"Parcelon.Send");
    button->SetCaption(L"Send Secure");
    button->SetTooltipText(L"Send it securely");
    button->SetBeginGroup(true);
    button->SetStyle(outlook::msoButtonIconAndCaption);

    EXPECT_EQ(controls->Count(), before + 1);
    EXPECT_EQ(controls->Item(2)->Tag(), L"Parcelon.Send");
    EXPECT_EQ(button->Caption(), L"Send Secure");
    const auto simulated = explorer_->Bars()->FindControlByTag(L"Parcelon.Send");
    ASSERT_NE(simulated, nullptr);
    EXPECT_EQ(simulated->TooltipText(), L"Send it securely");
    EXPECT_TRUE(simulated->BeginsGroup());
    EXPECT_EQ(simulated->Style(), outlook::msoButtonIconAndCaption);
    EXPECT_EQ(simulated->Temporary(), true);
    EXPECT_EQ(simulated->Parameter(), std::nullopt);  // left out, not passed empty

    button->Delete();
    EXPECT_EQ(controls->Count(), before);
    EXPECT_EQ(explorer_->Bars()->FindControlByTag(L"Parcelon.Send"), nullptr);
}

TEST_F(CommandBarRoundTrip, ANewBarAndAPopupsControlsCrossAndAMissingBarIsAnError) {
    const auto bar = bars_->Add(L"Parcelon", outlook::msoBarTop, true);
    ASSERT_NE(bar, nullptr);
    bar->SetLeft(40);
    bar->SetRowIndex(3);
    bar->SetVisible(true);
    const auto simulated = explorer_->Bars()->Bar(L"Parcelon");
    ASSERT_NE(simulated, nullptr);
    EXPECT_EQ(simulated->Position(), outlook::msoBarTop);
    EXPECT_EQ(simulated->Temporary(), true);
    EXPECT_EQ(simulated->Left(), 40);
    EXPECT_EQ(simulated->RowIndex(), 3);
    EXPECT_TRUE(simulated->IsVisible());

    const auto popup = bar->Controls()->Add(outlook::msoControlPopup, Placed(L"menu", std::nullopt, std::nullopt));
    const auto inner =
        popup->Controls()->Add(outlook::msoControlButton, Placed(std::nullopt, std::nullopt, std::nullopt));
    inner->SetTag(L"Parcelon.About");
    EXPECT_EQ(popup->Controls()->Item(1)->Tag(), L"Parcelon.About");
    EXPECT_EQ(explorer_->Bars()->FindControlByTag(L"Parcelon.About"),
              simulated->ControlList()->List()[0]->PopupControls()->List()[0]);

    EXPECT_TRUE(outlook::Failed(CaughtError([&] { bars_->Item(L"No Such Bar"); }).Code()));
    EXPECT_TRUE(outlook::Failed(CaughtError([&] { inner->Controls(); }).Code()));  // a button has no controls
}

// The Click event: each advised sink sees the button and the cancel flag, and the flag it set comes back to Office.
struct ClickSink : outlook::CommandBarButtonEvents {
    int clicks = 0;
    std::wstring tag;
    void Click(const outlook::Ref<outlook::CommandBarControl>& button, bool& cancel) override {
        ++clicks;
        tag = button != nullptr ? button->Tag() : L"(none)";
        cancel = true;
    }
};

TEST_F(CommandBarRoundTrip, AClickReachesTheAdvisedSinkAndItsCancelComesBack) {
    const auto button =
        bars_->Item(L"Standard")->Controls()->Add(outlook::msoControlButton, Placed(std::nullopt, std::nullopt, true));
    button->SetTag(L"Parcelon.Send");
    const auto simulated = explorer_->Bars()->FindControlByTag(L"Parcelon.Send");
    ASSERT_NE(simulated, nullptr);
    ClickSink sink;
    const outlook::Cookie cookie = button->Events().Advise(sink);

    EXPECT_TRUE(world_.Outlook().ClickControl(simulated));
    EXPECT_EQ(sink.clicks, 1);
    EXPECT_EQ(sink.tag, L"Parcelon.Send");

    button->Events().Unadvise(cookie);
    EXPECT_FALSE(world_.Outlook().ClickControl(simulated));
    EXPECT_EQ(sink.clicks, 1);
}

// SetFace makes both pictures with the DLL's maker and puts them; the served button records what arrived.
HRESULT NoPicture(int, outlook::win32::FaceResource, IPictureDisp** picture) {
    *picture = nullptr;
    return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
}

TEST_F(CommandBarRoundTrip, SetFacePutsAPictureAndAMaskOfTheButtonsSize) {
    const auto button =
        bars_->Item(L"Standard")->Controls()->Add(outlook::msoControlButton, Placed(std::nullopt, std::nullopt, true));
    button->SetTag(L"Parcelon.Send");
    const auto simulated = explorer_->Bars()->FindControlByTag(L"Parcelon.Send");
    ASSERT_NE(simulated, nullptr);

    outlook::win32::InstallButtonPictureMaker(nullptr);
    EXPECT_EQ(CaughtError([&] { button->SetFace(221, 220); }).Code(), static_cast<outlook::HResult>(E_NOTIMPL));
    outlook::win32::InstallButtonPictureMaker(&NoPicture);
    EXPECT_EQ(CaughtError([&] { button->SetFace(221, 220); }).Code(),
              static_cast<outlook::HResult>(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND)));
    EXPECT_FALSE(sim::win32::ButtonFaceOf(simulated).picture.has_value()) << "nothing is put when a picture fails";
    outlook::win32::InstallButtonPictureMaker(&sim::win32::StandInButtonPicture);

    button->SetFace(221, 220);

    const sim::win32::ButtonFace& face = sim::win32::ButtonFaceOf(simulated);
    ASSERT_TRUE(face.picture.has_value());
    ASSERT_TRUE(face.mask.has_value());
    EXPECT_EQ(face.picture->type, PICTYPE_BITMAP);
    EXPECT_EQ(face.picture->width, 24);
    EXPECT_EQ(face.picture->height, 24);
    EXPECT_EQ(face.mask->type, PICTYPE_BITMAP);
    EXPECT_EQ(face.mask->width, 24);
    EXPECT_EQ(face.mask->bitsPerPixel, 1);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// An add-in as Office's ribbon sees it: XML for the compose ribbon, a "Sealwing" callback that reads the window of
// its control's context as the DLL does, and a "Broken" one that fails. Lives on the test's stack.
class RibbonAddin final : public sim::win32::IRibbonExtensibility {
public:
    platform::WindowHandle window = 1;
    int calls = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        IID ribbon{};
        sealwing::win32::GuidFromString(sim::win32::kRibbonExtensibilityIid, ribbon);
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, ribbon)) {
            *object = static_cast<sim::win32::IRibbonExtensibility*>(this);
        }
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        const std::wstring name = names[0];
        *ids = name == L"Sealwing" ? 1 : name == L"Broken" ? 2 : DISPID_UNKNOWN;
        return *ids != DISPID_UNKNOWN ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                     EXCEPINFO* exception, UINT*) override {
        ++calls;
        if (id == 2) {
            exception->scode = E_FAIL;
            exception->bstrDescription = SysAllocString(L"callback broke");
            return DISP_E_EXCEPTION;
        }
        if (parameters->cArgs != 1 || parameters->rgvarg[0].vt != VT_DISPATCH) return DISP_E_BADPARAMCOUNT;
        IID controlIid{};
        sealwing::win32::GuidFromString(sim::win32::kRibbonControlIid, controlIid);
        const auto control = sealwing::win32::ComPtr<IDispatch>(parameters->rgvarg[0].pdispVal)
                                 .As<sim::win32::IRibbonControl>(controlIid);
        window = platform::kNoWindow;
        sealwing::win32::ComPtr<IDispatch> context;
        if (!control || FAILED(control->get_Context(context.Receive())) || !context) return S_OK;
        const auto frame = context.As<IOleWindow>(IID_IOleWindow);
        HWND handle = nullptr;
        if (frame && SUCCEEDED(frame->GetWindow(&handle))) window = reinterpret_cast<platform::WindowHandle>(handle);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbonId, BSTR* xml) override {
        *xml = std::wstring(ribbonId) == L"Microsoft.Outlook.Mail.Compose" ? SysAllocString(L"<customUI/>") : nullptr;
        return S_OK;
    }
};
#pragma GCC diagnostic pop

TEST(AddinRibbonTest, CallbacksRunByNameWithAControlWhoseContextIsTheWindow) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    sim::win32::EventFailures().clear();
    {
        RibbonAddin addin;
        sim::win32::AddinRibbon ribbon{sealwing::win32::ComPtr<IUnknown>(&addin)};
        EXPECT_EQ(ribbon.GetCustomUI(L"Microsoft.Outlook.Mail.Compose"), L"<customUI/>");
        EXPECT_EQ(ribbon.GetCustomUI(L"Microsoft.Outlook.Mail.Read"), L"");

        EXPECT_TRUE(ribbon.InvokeRibbonCallback(L"Sealwing", 0x4242));
        EXPECT_EQ(addin.window, static_cast<platform::WindowHandle>(0x4242));  // no FrameWindows: the simulated one
        EXPECT_TRUE(ribbon.InvokeRibbonCallback(L"Sealwing", platform::kNoWindow));
        EXPECT_EQ(addin.window, platform::kNoWindow);
        EXPECT_FALSE(ribbon.InvokeRibbonCallback(L"Unknown", 0x4242));
        EXPECT_EQ(addin.calls, 2);
        EXPECT_TRUE(sim::win32::EventFailures().empty());

        EXPECT_FALSE(ribbon.InvokeRibbonCallback(L"Broken", 0x4242));
        ASSERT_EQ(sim::win32::EventFailures().size(), 1u);
        EXPECT_EQ(sim::win32::EventFailures()[0], L"Ribbon.Broken: 0x80004005 callback broke");
        sim::win32::EventFailures().clear();
    }
    CoUninitialize();
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
