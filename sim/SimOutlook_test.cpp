#include "sim/SimOutlook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <thread>

#include "sim/SimAccount.h"
#include "sim/SimExplorer.h"
#include "sim/SimFolder.h"
#include "sim/SimInspector.h"
#include "sim/SimMailItem.h"
#include "sim/SimStore.h"
#include "sim/SimTestSupport.h"

namespace sealwing::sim {
namespace {

using outlook::Ref;
using testing::ApplicationRecorder;
using testing::CodeOf;
using testing::ExplorersRecorder;
using testing::InspectorsRecorder;
using testing::WindowRecorder;

constexpr outlook::HResult kDisconnected = static_cast<outlook::HResult>(0x80010108);

SimOptions Version(int major, std::wstring build = {}) {
    SimOptions options;
    options.majorVersion = major;
    options.build = std::move(build);
    return options;
}

class SimOutlookTest : public ::testing::Test {
protected:
    platform::ManualClock clock_;
    SimOutlook sim_{SimOptions{}, clock_};
    Ref<outlook::Application> app_ = sim_.Application();
};

TEST(SimOutlookVersions, VersionTextPerVersionAndChosenBuild) {
    platform::ManualClock clock;
    const struct {
        SimOptions options;
        const wchar_t* expected;
    } cases[] = {
        {Version(11), L"11.0.0.8312"},
        {Version(12), L"12.0.0.6423"},
        {Version(14), L"14.0.0.4760"},
        {Version(12, L"4518"), L"12.0.0.4518"},
    };
    for (const auto& c : cases) {
        SimOutlook sim(c.options, clock);
        EXPECT_EQ(sim.Application()->Version(), c.expected);
        EXPECT_EQ(sim.MajorVersion(), c.options.majorVersion);
    }
    EXPECT_THROW(SimOutlook(Version(13), clock), std::invalid_argument);
}

// Each member a version may lack, reached without going through another gated member.
struct GatedMember {
    const wchar_t* name;
    int introducedIn;
    std::function<void(SimOutlook&)> call;
};

std::vector<GatedMember> GatedMembers() {
    const auto exchangeEntry = [](SimOutlook& sim) {
        sim.AddAddressBookEntry(AddressBookEntry{L"Ann", L"/o=Org/cn=ann", L"EX", 0, L"ann@example.com", {}});
        auto recipient = sim.CreateMailItem()->Recipients()->Add(L"Ann");
        recipient->Resolve();
        return recipient->AddressEntry();
    };
    const auto account = [](SimOutlook& sim) {
        return sim.AddAccount(AccountSetup{outlook::olImap, L"a", L"a@x", L"a"});
    };
    return {
        {L"NameSpace.Accounts", 12, [](SimOutlook& sim) { sim.Application()->Session()->Accounts(); }},
        {L"NameSpace.CurrentProfileName", 12,
         [](SimOutlook& sim) { sim.Application()->Session()->CurrentProfileName(); }},
        {L"MailItem.SendUsingAccount", 12, [](SimOutlook& sim) { sim.CreateMailItem()->SendUsingAccount(); }},
        {L"MAPIFolder.Store", 12, [](SimOutlook& sim) { sim.Folder(outlook::olFolderInbox)->Store(); }},
        {L"AddressEntry.AddressEntryUserType", 12,
         [exchangeEntry](SimOutlook& sim) { exchangeEntry(sim)->AddressEntryUserType(); }},
        {L"AddressEntry.GetExchangeUser", 12,
         [exchangeEntry](SimOutlook& sim) { exchangeEntry(sim)->GetExchangeUser(); }},
        {L"Account.CurrentUser", 14, [account](SimOutlook& sim) { account(sim)->CurrentUser(); }},
        {L"Account.DeliveryStore", 14, [account](SimOutlook& sim) { account(sim)->DeliveryStore(); }},
        {L"Store.GetDefaultFolder", 14,
         [](SimOutlook& sim) { sim.DefaultStore()->GetDefaultFolder(outlook::olFolderSentMail); }},
    };
}

TEST(SimOutlookVersions, MembersAVersionLacksFailAsAnUnknownName) {
    platform::ManualClock clock;
    for (const int major : {11, 12, 14}) {
        for (const auto& member : GatedMembers()) {
            SimOutlook sim(Version(major), clock);
            const auto expected = major < member.introducedIn ? outlook::hr::DispE_UnknownName : outlook::hr::S_Ok;
            EXPECT_EQ(CodeOf([&] { member.call(sim); }), expected) << member.name << " in " << major;
        }
    }
}

TEST(SimOutlookVersions, TheUnknownNameCarriesItsDescription) {
    platform::ManualClock clock;
    SimOutlook sim(Version(11), clock);
    try {
        sim.Application()->Session()->Accounts();
        FAIL() << "Accounts exists in 2003";
    } catch (const outlook::ComError& error) {
        EXPECT_EQ(error.Description(), L"Unknown name.");
    }
}

TEST_F(SimOutlookTest, CallsFromAnotherThreadAreRefusedAndCounted) {
    auto session = app_->Session();
    outlook::HResult code = outlook::hr::S_Ok;
    std::wstring description;
    outlook::HResult mapiCode = outlook::hr::S_Ok;
    auto mapiSession = session->MAPIOBJECT();
    std::thread([&] {
        try {
            app_->Version();
        } catch (const outlook::ComError& error) {
            code = error.Code();
            description = error.Description();
        }
        Ref<outlook::mapi::ProfileSection> section;
        mapiCode = mapiSession->OpenProfileSection(outlook::mapi::Guid{}, section);
    }).join();
    EXPECT_EQ(code, outlook::hr::RpcE_WrongThread);
    EXPECT_EQ(description, L"The application called an interface that was marshalled for a different thread.");
    EXPECT_EQ(mapiCode, outlook::hr::RpcE_WrongThread);
    EXPECT_EQ(sim_.WrongThreadCalls(), 2u);
    EXPECT_NO_THROW(app_->Version());
    EXPECT_EQ(sim_.WrongThreadCalls(), 2u);
    std::thread([&] {
        EXPECT_THROW(sim_.OpenExplorer(), std::logic_error) << "scripting is for the UI thread";
    }).join();
}

TEST_F(SimOutlookTest, InjectedFaultsFailTheNextCallsThenStop) {
    sim_.OpenInspector(sim_.CreateMailItem());
    auto inspectors = app_->Inspectors();
    sim_.FailMember(L"Inspectors.Item", outlook::hr::E_Fail, L"injected", 2);

    // A call from another thread is refused before it could use up a fault.
    std::thread([&] { EXPECT_EQ(CodeOf([&] { inspectors->Item(1); }), outlook::hr::RpcE_WrongThread); }).join();
    try {
        inspectors->Item(1);
        FAIL() << "the first call fails";
    } catch (const outlook::ComError& error) {
        EXPECT_EQ(error.Code(), outlook::hr::E_Fail);
        EXPECT_EQ(error.Description(), L"injected");
    }
    EXPECT_EQ(CodeOf([&] { inspectors->Item(1); }), outlook::hr::E_Fail);
    EXPECT_NE(inspectors->Item(1), nullptr);
    EXPECT_EQ(inspectors->Count(), 1);  // only the named member fails

    sim_.FailMember(L"Application.Inspectors", outlook::hr::E_OutOfMemory, L"always");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(CodeOf([&] { app_->Inspectors(); }), outlook::hr::E_OutOfMemory);
    sim_.FailMember(L"Application.Inspectors", 0, L"", 0);
    EXPECT_NE(app_->Inspectors(), nullptr);
}

TEST_F(SimOutlookTest, ExplorersOpenActivateAndCloseWithTheirEventsAndWindows) {
    ExplorersRecorder opened;
    app_->Explorers()->Events().Advise(opened);
    EXPECT_EQ(app_->ActiveExplorer(), nullptr);

    auto inbox = sim_.OpenExplorer();
    auto sent = sim_.OpenExplorer(L"Sent Items - Microsoft Outlook");
    ASSERT_EQ(opened.opened.size(), 2u);
    EXPECT_EQ(opened.opened[0], inbox);
    auto explorers = app_->Explorers();
    EXPECT_EQ(explorers->Count(), 2);
    EXPECT_EQ(explorers->Item(1), inbox);
    EXPECT_EQ(explorers->Item(2), sent);
    EXPECT_EQ(CodeOf([&] { explorers->Item(0); }), outlook::hr::DispE_BadIndex);
    EXPECT_EQ(CodeOf([&] { explorers->Item(3); }), outlook::hr::DispE_BadIndex);
    EXPECT_EQ(app_->ActiveExplorer(), sent);

    const auto window = inbox->Window();
    EXPECT_EQ(sim_.Windows().ClassName(window), L"rctrl_renwnd32");
    EXPECT_EQ(sim_.Windows().Title(window), L"Inbox - Microsoft Outlook");
    EXPECT_EQ(sim_.Windows().Parent(window), platform::kNoWindow);
    const auto rect = sim_.Windows().WindowRect(window);
    ASSERT_TRUE(rect.has_value());
    EXPECT_GT(rect->right - rect->left, 600);
    EXPECT_EQ(inbox->Caption(), L"Inbox - Microsoft Outlook");

    WindowRecorder inboxEvents;
    inbox->Events().Advise(inboxEvents);
    sim_.ActivateExplorer(inbox);
    EXPECT_EQ(app_->ActiveExplorer(), inbox);
    EXPECT_EQ(sim_.Windows().Foreground(), window);

    sim_.CloseExplorer(inbox);
    EXPECT_EQ(inboxEvents.events, (std::vector<std::wstring>{L"Activate", L"Close"}));
    EXPECT_EQ(explorers->Count(), 1);
    EXPECT_EQ(explorers->Item(1), sent);
    EXPECT_FALSE(sim_.Windows().IsWindow(window));
    EXPECT_EQ(app_->ActiveExplorer(), sent);  // the one activated before
    sim_.CloseExplorer(inbox);                // closing twice does nothing
    EXPECT_EQ(inboxEvents.events.size(), 2u);

    sim_.CloseExplorer(sent);
    EXPECT_EQ(app_->ActiveExplorer(), nullptr);
    EXPECT_EQ(explorers->Count(), 0);
}

TEST_F(SimOutlookTest, ANewWindowIsActivatedRightAfterItsNewEventSoASinkAdvisedThereHearsIt) {
    struct Wrapper : outlook::InspectorsEvents {
        WindowRecorder windowEvents;
        void NewInspector(const Ref<outlook::Inspector>& inspector) override {
            inspector->Events().Advise(windowEvents);
        }
    } wrapper;
    app_->Inspectors()->Events().Advise(wrapper);
    sim_.OpenInspector(sim_.CreateMailItem());
    EXPECT_EQ(wrapper.windowEvents.events, std::vector<std::wstring>{L"Activate"});
}

TEST_F(SimOutlookTest, InspectorsShowTheirItemAndCloseWithIt) {
    InspectorsRecorder opened;
    app_->Inspectors()->Events().Advise(opened);
    auto item = sim_.CreateMailItem();
    auto early = item->GetInspector();  // not displayed yet
    EXPECT_EQ(early->Window(), platform::kNoWindow);
    EXPECT_EQ(app_->Inspectors()->Count(), 0);
    EXPECT_TRUE(opened.opened.empty());

    auto inspector = sim_.OpenInspector(item);
    EXPECT_EQ(inspector, early);  // the inspector GetInspector gave is the one that opens
    ASSERT_EQ(opened.opened.size(), 1u);
    EXPECT_EQ(opened.opened[0], inspector);
    EXPECT_EQ(item->GetInspector(), inspector);
    EXPECT_EQ(inspector->CurrentItem(), item);
    EXPECT_EQ(app_->ActiveInspector(), inspector);
    EXPECT_EQ(inspector->Caption(), L"Untitled - Message (HTML)");
    const auto window = inspector->Window();
    EXPECT_EQ(sim_.Windows().ClassName(window), L"rctrl_renwnd32");
    item->SetSubject(L"Quarterly figures");
    EXPECT_EQ(inspector->Caption(), L"Quarterly figures - Message (HTML)");
    EXPECT_EQ(sim_.Windows().Title(window), L"Quarterly figures - Message (HTML)");

    WindowRecorder events;
    inspector->Events().Advise(events);
    item->Close(outlook::olDiscard);
    EXPECT_EQ(events.events, std::vector<std::wstring>{L"Close"});
    EXPECT_EQ(app_->Inspectors()->Count(), 0);
    EXPECT_FALSE(sim_.Windows().IsWindow(window));
    EXPECT_EQ(app_->ActiveInspector(), nullptr);
    EXPECT_FALSE(item->IsSaved());
    EXPECT_NE(item->GetInspector(), inspector);  // a closed inspector is not reused

    // Inspectors.Add brings a closed item back: a new inspector, shown by its Activate.
    const auto again = app_->Inspectors()->Add(item);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Window(), platform::kNoWindow);
    again->Activate();
    EXPECT_EQ(opened.opened.size(), 2u);
    EXPECT_EQ(app_->ActiveInspector(), again);
    EXPECT_TRUE(sim_.Windows().IsWindow(again->Window()));
    EXPECT_THROW(app_->Inspectors()->Add(nullptr), outlook::ComError);
}

TEST_F(SimOutlookTest, TheJournalRecordsConnectionsInOrderAndCountsThoseOpen) {
    InspectorsRecorder inspectorsSink;
    ExplorersRecorder explorersSink;
    ApplicationRecorder applicationSink;
    const auto inspectorsCookie = app_->Inspectors()->Events().Advise(inspectorsSink);
    const auto explorersCookie = app_->Explorers()->Events().Advise(explorersSink);
    const auto applicationCookie = app_->Events().Advise(applicationSink);
    EXPECT_EQ(sim_.AdvisedSinks(), 3u);
    sim_.OpenExplorer();
    sim_.Quit();
    app_->Inspectors()->Events().Unadvise(inspectorsCookie);
    app_->Explorers()->Events().Unadvise(explorersCookie);
    app_->Events().Unadvise(applicationCookie);
    EXPECT_EQ(sim_.AdvisedSinks(), 0u);
    EXPECT_EQ(applicationSink.events, std::vector<std::wstring>{L"Quit"});
    EXPECT_EQ(sim_.Journal(),
              (std::vector<std::wstring>{L"Advise InspectorsEvents", L"Advise ExplorersEvents",
                                         L"Advise ApplicationEvents", L"Fire ExplorersEvents.NewExplorer",
                                         L"Fire ApplicationEvents.Quit", L"Unadvise InspectorsEvents",
                                         L"Unadvise ExplorersEvents", L"Unadvise ApplicationEvents"}));
}

TEST(SimOutlookVersions, NewMailExJoinsIdsIn2003AndFiresPerItemLater) {
    platform::ManualClock clock;
    for (const int major : {11, 12, 14}) {
        SimOutlook sim(Version(major), clock);
        ApplicationRecorder sink;
        sim.Application()->Events().Advise(sink);
        auto first = sim.AddReceivedMail(ReceivedMailSetup{});
        auto second = sim.AddReceivedMail(ReceivedMailSetup{});
        sim.DeliverNewMail({first, second});
        const std::wstring a = first->EntryIdText();
        const std::wstring b = second->EntryIdText();
        const auto expected = major == 11 ? std::vector<std::wstring>{L"NewMailEx " + a + L"," + b}
                                          : std::vector<std::wstring>{L"NewMailEx " + a, L"NewMailEx " + b};
        EXPECT_EQ(sink.events, expected) << major;
    }
}

TEST_F(SimOutlookTest, ComAddInsAreListedUnlessOfficeProvidesNone) {
    sim_.AddComAddIn(L"{11111111-2222-3333-4444-555555555555}", L"Sealwing.Addin", L"Parcelon");
    sim_.AddComAddIn(L"{66666666-2222-3333-4444-555555555555}", L"Other.Addin", L"Other");
    auto addIns = app_->COMAddIns();
    ASSERT_NE(addIns, nullptr);
    EXPECT_EQ(addIns->Count(), 2);
    EXPECT_EQ(addIns->Item(1)->ProgId(), L"Sealwing.Addin");
    EXPECT_EQ(addIns->Item(2)->Guid(), L"{66666666-2222-3333-4444-555555555555}");
    sim_.FailMember(L"COMAddIn.Description", outlook::hr::E_Fail, L"broken", 1);
    EXPECT_EQ(CodeOf([&] { addIns->Item(1)->Description(); }), outlook::hr::E_Fail);
    EXPECT_EQ(addIns->Item(1)->Description(), L"Parcelon");
    sim_.SetComAddInsAvailable(false);
    EXPECT_EQ(app_->COMAddIns(), nullptr);
}

TEST_F(SimOutlookTest, TheProfileShowsItsUserAccountsAndStore) {
    auto session = app_->Session();
    EXPECT_EQ(session->CurrentProfileName(), L"Outlook");
    auto user = session->CurrentUser();
    EXPECT_EQ(user->Name(), L"Sim User");
    EXPECT_EQ(user->Address(), L"sim.user@example.com");
    sim_.AddAccount(AccountSetup{outlook::olExchange, L"Work", L"me@work.example", L"Me"});
    sim_.AddAccount(AccountSetup{outlook::olImap, L"Home", L"me@home.example", L"me"});
    auto accounts = session->Accounts();
    ASSERT_EQ(accounts->Count(), 2);
    EXPECT_EQ(accounts->Item(1)->AccountType(), outlook::olExchange);
    EXPECT_EQ(accounts->Item(2)->SmtpAddress(), L"me@home.example");
    EXPECT_EQ(accounts->Item(2)->CurrentUser()->Address(), L"me@home.example");
    EXPECT_EQ(accounts->Item(2)->DeliveryStore()->DisplayName(), L"Personal Folders");
    EXPECT_EQ(CodeOf([&] { accounts->Item(3); }), outlook::hr::DispE_BadIndex);
}

constexpr const wchar_t* kAppsStore = L"Google Apps - ann@example.com";

TEST(SimOutlookStores, MailDeliveredIntoASecondStoreIsFoundThereAndShowsThatStore) {
    platform::ManualClock clock;
    for (const int major : {11, 12, 14}) {
        SimOutlook sim(Version(major), clock);
        auto apps = sim.AddStore(kAppsStore);
        ApplicationRecorder sink;
        sim.Application()->Events().Advise(sink);
        auto item = sim.AddReceivedMail(ReceivedMailSetup{.subject = L"copy", .store = kAppsStore});
        sim.DeliverNewMail({item});
        ASSERT_EQ(sink.events, std::vector<std::wstring>{L"NewMailEx " + item->EntryIdText()}) << major;
        EXPECT_TRUE(sim.Folder(outlook::olFolderInbox)->Items().empty()) << "the default Inbox stays empty";
        EXPECT_EQ(sim.Folder(outlook::olFolderInbox, kAppsStore)->Items(), std::vector<Ref<SimMailItem>>{item});

        auto session = sim.Application()->Session();
        auto found = std::dynamic_pointer_cast<outlook::MailItem>(session->GetItemFromID(item->EntryIdText(), L""));
        ASSERT_NE(found, nullptr) << major;
        EXPECT_EQ(found->Subject(), L"copy");
        EXPECT_NE(session->GetItemFromID(item->EntryIdText(), apps->StoreId()), nullptr);
        EXPECT_EQ(CodeOf([&] { session->GetItemFromID(item->EntryIdText(), sim.DefaultStore()->StoreId()); }),
                  outlook::hr::Mapi_E_NotFound)
            << "a store id confines the search to that store";
        const auto inbox = sim.Folder(outlook::olFolderInbox, kAppsStore);
        EXPECT_EQ(session->GetItemFromID(inbox->EntryID(), L""), inbox);

        auto parent = std::dynamic_pointer_cast<outlook::MAPIFolder>(found->Parent());
        ASSERT_NE(parent, nullptr);
        EXPECT_EQ(parent->EntryID(), inbox->EntryID());
        if (major < 12) {
            EXPECT_EQ(CodeOf([&] { parent->Store(); }), outlook::hr::DispE_UnknownName);
        } else {
            EXPECT_EQ(parent->Store()->DisplayName(), kAppsStore);
        }
    }
}

TEST_F(SimOutlookTest, EntryIdsOfTwoStoresNeverCollide) {
    auto apps = sim_.AddStore(kAppsStore);
    EXPECT_NE(apps->EntryIdBytes(), sim_.DefaultStore()->EntryIdBytes());
    std::vector<std::wstring> ids;
    for (const auto& store : {sim_.DefaultStore(), apps}) {
        for (int i = 0; i < 3; ++i) {
            ids.push_back(sim_.AddReceivedMail(ReceivedMailSetup{.store = store->Name()})->EntryIdText());
        }
        for (const auto& folder : store->Folders()) ids.push_back(folder->EntryID());
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(ids.size(), 2u * (3u + 5u));
}

TEST_F(SimOutlookTest, AnAccountDeliversIntoItsStoreWhoseSentFolderIsThatStores) {
    auto apps = sim_.AddStore(kAppsStore);
    sim_.AddAccount(AccountSetup{outlook::olImap, L"Home", L"me@home.example", L"me"});
    sim_.AddAccount(AccountSetup{.type = outlook::olImap, .displayName = kAppsStore, .deliveryStore = kAppsStore});
    auto accounts = app_->Session()->Accounts();
    EXPECT_EQ(accounts->Item(1)->DeliveryStore(), sim_.DefaultStore());
    auto delivery = accounts->Item(2)->DeliveryStore();
    EXPECT_EQ(delivery->DisplayName(), kAppsStore);
    const auto sent = delivery->GetDefaultFolder(outlook::olFolderSentMail)->EntryID();
    EXPECT_EQ(sent, apps->Folder(outlook::olFolderSentMail)->EntryID());
    EXPECT_NE(sent, sim_.Folder(outlook::olFolderSentMail)->EntryID());

    auto copy = sim_.AddReceivedMail(ReceivedMailSetup{.folder = outlook::olFolderSentMail, .store = kAppsStore});
    EXPECT_EQ(std::dynamic_pointer_cast<outlook::MAPIFolder>(copy->Parent())->EntryID(), sent);
}

TEST_F(SimOutlookTest, StoresAreNamedOnceAndOnlyKnownOnesCanBeUsed) {
    sim_.AddStore(kAppsStore);
    EXPECT_THROW(sim_.AddStore(kAppsStore), std::invalid_argument);
    EXPECT_THROW(sim_.AddStore(L"Personal Folders"), std::invalid_argument);
    EXPECT_THROW(sim_.AddStore(L""), std::invalid_argument);
    EXPECT_THROW(sim_.AddReceivedMail(ReceivedMailSetup{.store = L"Nowhere"}), std::invalid_argument);
    EXPECT_THROW(sim_.AddAccount(AccountSetup{.deliveryStore = L"Nowhere"}), std::invalid_argument);
    EXPECT_EQ(sim_.Store(L""), sim_.DefaultStore());
    EXPECT_EQ(sim_.Folder(outlook::olFolderDrafts, L"Personal Folders"), sim_.Folder(outlook::olFolderDrafts));
}

TEST(SimOutlookTeardown, ObjectsHeldAfterOutlookClosedFailAsDisconnected) {
    platform::ManualClock clock;
    Ref<outlook::Application> app;
    Ref<SimMailItem> item;
    ApplicationRecorder sink;
    {
        SimOutlook sim(SimOptions{}, clock);
        app = sim.Application();
        app->Events().Advise(sink);
        item = sim.CreateMailItem();
        sim.OpenInspector(item);
        sim.OpenExplorer();
    }
    EXPECT_TRUE(sink.events.empty()) << "closing Outlook fires nothing";
    EXPECT_EQ(CodeOf([&] { app->Version(); }), kDisconnected);
    EXPECT_EQ(CodeOf([&] { item->Subject(); }), kDisconnected);
}

}  // namespace
}  // namespace sealwing::sim
