#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "outlook/AccountManagement.h"
#include "outlook/ComError.h"
#include "outlook/ObjectModel.h"
#include "outlook/Ribbon.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "sim/MessageLoop.h"
#include "sim/ResponseDraft.h"
#include "sim/ScriptedUser.h"
#include "sim/SimAccount.h"
#include "sim/SimBrowser.h"
#include "sim/SimExplorer.h"
#include "sim/SimFolder.h"
#include "sim/SimGraphics.h"
#include "sim/SimInspector.h"
#include "sim/SimMailItem.h"
#include "sim/SimNameSpace.h"
#include "sim/SimOptions.h"
#include "sim/SimSetups.h"
#include "sim/SimStore.h"
#include "sim/WindowTree.h"

namespace sealwing::sim {

class SimCommandBars;
class SimContext;

// An in-memory Outlook 2003, 2007 or 2010: the object model and MAPI the add-in reaches through the host interface,
// and the desktop it runs on (message loop, windows, a scripted user, graphics). The thread that constructs it is
// Outlook's UI thread. The scripting members below are the test's or the main job's hands on Outlook: they run on
// the UI thread, bypass fault injection, and fire the events Outlook would.
class SimOutlook {
public:
    // Throws std::invalid_argument for a version other than 11, 12 and 14.
    SimOutlook(SimOptions options, platform::Clock& clock);
    // Tears everything down without firing events: the loop stops (a waiting RunSync returns false), and objects the
    // add-in still holds fail their calls as disconnected.
    ~SimOutlook();
    SimOutlook(const SimOutlook&) = delete;
    SimOutlook& operator=(const SimOutlook&) = delete;

    MessageLoop& Loop() { return loop_; }
    WindowTree& Windows() { return windows_; }
    ScriptedUser& User() { return user_; }
    SimGraphics& Graphics() { return graphics_; }
    SimBrowser& Browser() { return browser_; }
    // The ports the simulation does not play: the user's files and registry, and the secrets and HTTP where the add-in
    // needs them (the Wine harness's DLL brings its own).
    struct HostPorts {
        platform::FileSystem& files;
        platform::Registry& registry;
        platform::SecretProtection* secrets = nullptr;
        platform::Http* http = nullptr;
    };
    // The whole platform record of a run in the simulated Outlook: its clock, window tree, message loop, scripted
    // user, graphics and browser control, with the host's ports.
    platform::Platform PlatformWith(const HostPorts& host);

    int MajorVersion() const;
    // The object the add-in receives in OnConnection.
    outlook::Ref<outlook::Application> Application();
    outlook::Ref<SimNameSpace> Session();
    // The profile's stores. The default store is the one the options name; it holds new drafts, and the object
    // model's NameSpace.GetDefaultFolder shows its folders.
    outlook::Ref<SimStore> DefaultStore();
    // Adds a store with the default folders, as a second account's store appears in Outlook (for example
    // "Google Apps - ann@example.com"). Its store entry id and the entry ids of its folders and items never equal
    // another store's. Throws std::invalid_argument for an empty name or one a store of the profile already has.
    outlook::Ref<SimStore> AddStore(std::wstring displayName);
    // The store of that display name; an empty name is the default store. Throws std::invalid_argument for a name
    // no store has.
    outlook::Ref<SimStore> Store(const std::wstring& displayName);
    // A default folder of the default store, or of the named store (empty: the default); nullptr for a folder the
    // store lacks.
    outlook::Ref<SimFolder> Folder(outlook::DefaultFolder folder);
    outlook::Ref<SimFolder> Folder(outlook::DefaultFolder folder, const std::wstring& storeName);

    // Windows. Opening fires NewExplorer / NewInspector and then the window's Activate; closing fires Close on the
    // window's own sinks, then removes it from its collection and destroys its frame window.
    outlook::Ref<SimExplorer> OpenExplorer(std::wstring caption = L"Inbox - Microsoft Outlook");
    void CloseExplorer(const outlook::Ref<SimExplorer>& explorer);
    // Fires Activate; the explorer becomes ActiveExplorer and its window the foreground.
    void ActivateExplorer(const outlook::Ref<SimExplorer>& explorer);
    // The item's inspector (the one MailItem.GetInspector gave, if any), displayed.
    outlook::Ref<SimInspector> OpenInspector(const outlook::Ref<SimMailItem>& item);
    void CloseInspector(const outlook::Ref<SimInspector>& inspector);
    void ActivateInspector(const outlook::Ref<SimInspector>& inspector);

    // Main windows' contents.
    // Selects the items in the explorer's list (none: an empty selection) and fires its SelectionChange.
    void Select(const outlook::Ref<SimExplorer>& explorer, std::vector<outlook::Ref<SimMailItem>> items);
    // Shows or hides the reading pane: hiding destroys its windows (the body window's subclasses hear it), showing
    // makes new ones. A main window opens with the pane shown.
    void SetReadingPaneVisible(const outlook::Ref<SimExplorer>& explorer, bool visible);
    // The reading pane's body window (class "_WwB" from 2007 on, "Internet Explorer_Server" on 2003, inside a
    // container child of the frame); kNoWindow while hidden or once the explorer closed.
    platform::WindowHandle ReadingPaneWindow(const outlook::Ref<SimExplorer>& explorer);
    // The item window's message body window, of the same classes; kNoWindow unless the inspector is displayed.
    platform::WindowHandle BodyWindow(const outlook::Ref<SimInspector>& inspector);

    // Command bars. Each explorer and inspector has its own (SimExplorer::Bars, SimInspector::Bars); Word has one set
    // for every document it edits.
    outlook::Ref<SimCommandBars> WordCommandBars();
    // The user clicks the button: Click fires on each sink advised to it, with the button and one cancel flag that
    // each sink sees as the one before left it. Returns the flag. Throws std::invalid_argument for a control that is
    // no simulated button and std::logic_error for one deleted.
    bool ClickControl(const outlook::Ref<outlook::CommandBarControl>& control);

    // Office's ribbon (SimRibbon tells when each ribbon is asked for). What Office does once it connected an add-in
    // whose object offers IRibbonExtensibility; nullptr when it disconnects. The object must outlive its connection.
    void SetRibbonExtensibility(outlook::RibbonExtensibility* addin);
    // The user clicks the control `controlId` of the ribbon of the explorer or inspector whose frame window is
    // `window`: its onAction runs through InvokeRibbonCallback with that window. False when the window has no ribbon
    // (no such open window, Outlook 2003, explorers before 2010), the add-in gave no XML for it, the XML has no such
    // control, or the add-in did not run the callback.
    bool ClickRibbonControl(platform::WindowHandle window, const std::wstring& controlId);
    // The ribbon ids Office asked the add-in for, in order.
    const std::vector<std::wstring>& RibbonRequests() const;

    // Items.
    // A new unsaved draft (olMailItem): no entry id until saved into Drafts.
    outlook::Ref<SimMailItem> CreateMailItem();
    // A delivered message in its folder (the Inbox of the default store by default): saved, Sent, with its sender,
    // resolved recipients, attachments and transport headers.
    outlook::Ref<SimMailItem> AddReceivedMail(const ReceivedMailSetup& mail);
    // The user presses Reply, Reply All or Forward for the item (selected in a main window or open in its own): Outlook
    // makes the response (MakeResponseDraft, in the default Drafts folder, the profile's user left out of Reply All)
    // and fires the item's Reply / ReplyAll / Forward with it and one cancel flag that each sink sees as the one before
    // left it. Unless a sink cancelled, the response's window is displayed (NewInspector, then its Activate) and the
    // response returned; cancelled: nothing is shown and the result is nullptr.
    outlook::Ref<SimMailItem> Respond(const outlook::Ref<SimMailItem>& item, ResponseKind kind);
    // Fires NewMailEx with the items' entry ids: all in one comma-separated string in 2003, one event per item from
    // 2007 on.
    void DeliverNewMail(const std::vector<outlook::Ref<SimMailItem>>& items);

    // The profile.
    void AddComAddIn(std::wstring guid, std::wstring progId, std::wstring description);
    // False: Application.COMAddIns returns Nothing.
    void SetComAddInsAvailable(bool available);
    // An account of the profile, delivering into the store its setup names: the 2007 object model lists it, and the
    // account-management service (every version) reports it under its account id. Throws std::invalid_argument for a
    // store name no store has or an account id another account has.
    outlook::Ref<SimAccount> AddAccount(const AccountSetup& account);
    // Puts the account first in the mail accounts' order, as the user's default.
    void SetDefaultMailAccount(const outlook::Ref<SimAccount>& account);
    void AddAddressBookEntry(AddressBookEntry entry);

    // Fires Application's Quit. Windows stay open: the caller closes them and disconnects the add-in as Outlook would.
    void Quit();

    // The next `times` calls (-1: every call; 0: stop failing) of the member throw ComError(code, description), or
    // return the code for a MAPI member. Members are named "Interface.Member" after the host interface's methods:
    // L"Application.Inspectors", L"Inspectors.Item", L"Inspector.GetWindow", L"Explorer.GetWindow",
    // L"MailItem.SetSubject", L"InspectorsEvents.Advise", L"Message.GetProps", L"Session.OpenMsgStore".
    void FailMember(std::wstring member, outlook::HResult code, std::wstring description, int times = -1);
    // Connection-point traffic in order: L"Advise InspectorsEvents", L"Unadvise ExplorersEvents",
    // L"Fire InspectorsEvents.NewInspector" (a firing that reached a sink), ...
    const std::vector<std::wstring>& Journal() const;
    // Connections open now, all sources together.
    std::size_t AdvisedSinks() const;
    // Object-model and MAPI calls refused because they came from a thread other than the UI thread.
    std::size_t WrongThreadCalls() const;
    // Calls of an object-model or MAPI member made so far on the UI thread (L"Message.GetProps", ...).
    std::size_t MemberCalls(std::wstring_view member) const;

private:
    void RequireUiThread(const char* what);

    platform::Clock& clock_;
    MessageLoop loop_;
    WindowTree windows_;
    ScriptedUser user_{&windows_};
    SimGraphics graphics_;
    SimBrowser browser_;
    std::shared_ptr<SimContext> context_;
    // Outlook registers the account-management service's class while it runs.
    outlook::olk::ScopedAccountManagerCreator accountManagerClass_;
    std::uint32_t mailSerial_ = 0;
};

}  // namespace sealwing::sim
