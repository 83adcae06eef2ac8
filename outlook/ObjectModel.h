#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "outlook/ConnectionPoint.h"
#include "outlook/Events.h"
#include "outlook/Ref.h"
#include "platform/WindowSystem.h"

// The part of Outlook's object model the add-in relies upon. Every member may throw ComError: a failed call, a
// member the running version lacks (as a missing name through IDispatch fails), or a call from a thread other than
// Outlook's user-interface thread. All of it is for the UI thread only. Members marked (2007) or (2010) exist from
// that version on. Collections count from 1.
namespace sealwing::outlook {

namespace mapi {
class Folder;
class Prop;
class MailUser;
class Message;
class Session;
}  // namespace mapi

class Account;
class Accounts;
class AddressEntry;
class Attachment;
class Attachments;
class COMAddIn;
class COMAddIns;
class CommandBar;
class CommandBarControl;
class CommandBarControls;
class CommandBars;
class ExchangeUser;
class Explorer;
class Explorers;
class Inspector;
class Inspectors;
class MailItem;
class MAPIFolder;
class NameSpace;
class Recipient;
class Recipients;
class Selection;
class Store;
class UserProperties;
class UserProperty;
class WordDocument;

// A VARIANT as the members below need it.
using Variant = std::variant<std::monostate, bool, std::int32_t, double, std::wstring>;

// A date as Outlook gives it (VT_DATE): days since 30 December 1899 in local time, the fraction the time of day.
using Date = double;
// What Outlook answers for a date that was never set, such as SentOn of a draft: 1 January 4501.
inline constexpr Date kNoDate = 949998.0;

enum DefaultFolder : int {
    olFolderDeletedItems = 3,
    olFolderOutbox = 4,
    olFolderSentMail = 5,
    olFolderInbox = 6,
    olFolderDrafts = 16,
};

enum RecipientType : int { olOriginator = 0, olTo = 1, olCC = 2, olBCC = 3 };
enum AccountType : int { olExchange = 0, olImap = 1, olPop3 = 2, olHttp = 3, olOtherAccount = 5 };
enum UserPropertyType : int { olText = 1, olNumber = 3, olDateTime = 5, olYesNo = 6 };
enum AttachmentType : int { olByValue = 1, olEmbeddeditem = 5, olOLE = 6 };
enum InspectorClose : int { olSave = 0, olDiscard = 1, olPromptForSave = 2 };
enum Pane : int { olPreview = 3 };
enum ControlType : int { msoControlButton = 1, msoControlPopup = 10 };
enum ButtonStyle : int { msoButtonCaption = 2, msoButtonIconAndCaption = 3 };
enum BarPosition : int { msoBarTop = 1 };
enum ConnectMode : int { ext_cm_AfterStartup = 0, ext_cm_Startup = 1 };
enum DisconnectMode : int { ext_dm_HostShutdown = 0, ext_dm_UserClosed = 1 };

// Any object-model object. Typed objects are reached with std::dynamic_pointer_cast, as QueryInterface would.
class Object {
public:
    virtual ~Object() = default;
};

class Application : public Object {
public:
    // "major.0.0.build", for example "12.0.0.4518".
    virtual std::wstring Version() = 0;
    virtual Ref<NameSpace> Session() = 0;
    // Nothing when no such window is open.
    virtual Ref<Explorer> ActiveExplorer() = 0;
    virtual Ref<Inspector> ActiveInspector() = 0;
    virtual Ref<outlook::Explorers> Explorers() = 0;
    virtual Ref<outlook::Inspectors> Inspectors() = 0;
    // Nothing when Office does not provide the collection.
    virtual Ref<outlook::COMAddIns> COMAddIns() = 0;
    virtual ConnectionPoint<ApplicationEvents>& Events() = 0;
};

class NameSpace : public Object {
public:
    virtual Ref<Recipient> CurrentUser() = 0;
    virtual Ref<MAPIFolder> GetDefaultFolder(DefaultFolder folder) = 0;
    // Nothing-free: an unknown id throws, as Outlook does.
    virtual Ref<Object> GetItemFromID(const std::wstring& entryId, const std::wstring& storeId) = 0;
    virtual Ref<mapi::Session> MAPIOBJECT() = 0;
    virtual Ref<outlook::Accounts> Accounts() = 0;  // (2007)
    virtual std::wstring CurrentProfileName() = 0;  // (2007)
};

class Explorers : public Object {
public:
    virtual int Count() = 0;
    virtual Ref<Explorer> Item(int index) = 0;
    virtual ConnectionPoint<ExplorersEvents>& Events() = 0;
};

// A main window.
class Explorer : public Object {
public:
    // The frame window (IOleWindow::GetWindow).
    virtual platform::WindowHandle Window() = 0;
    virtual std::wstring Caption() = 0;
    // The items selected in the window's list.
    virtual Ref<outlook::Selection> Selection() = 0;
    // Whether the pane is shown (olPreview: the reading pane).
    virtual bool IsPaneVisible(Pane pane) = 0;
    // The window's command bars (Office's CommandBars); main windows of 2010 show a ribbon instead.
    virtual Ref<outlook::CommandBars> CommandBars() = 0;
    virtual ConnectionPoint<ExplorerEvents>& Events() = 0;
};

// The items selected in a main window.
class Selection : public Object {
public:
    virtual int Count() = 0;
    // A MailItem, or another kind of item.
    virtual Ref<Object> Item(int index) = 0;
};

class Inspectors : public Object {
public:
    virtual int Count() = 0;
    virtual Ref<Inspector> Item(int index) = 0;
    // A new inspector for the item, not yet shown.
    virtual Ref<Inspector> Add(const Ref<Object>& item) = 0;
    virtual ConnectionPoint<InspectorsEvents>& Events() = 0;
};

// An item window.
class Inspector : public Object {
public:
    // The frame window (IOleWindow::GetWindow).
    virtual platform::WindowHandle Window() = 0;
    virtual std::wstring Caption() = 0;
    // The item shown: a MailItem, or another kind of item.
    virtual Ref<Object> CurrentItem() = 0;
    // Shows the window when it is not shown yet and brings it to the front (its Activate event fires).
    virtual void Activate() = 0;
    // Word's Document when Word is the item's editor; nothing otherwise (Outlook 2003's own editor).
    virtual Ref<outlook::WordDocument> WordEditor() = 0;
    // Whether Word edits the item.
    virtual bool IsWordMail() = 0;
    // The window's own command bars ("Standard", ...).
    virtual Ref<outlook::CommandBars> CommandBars() = 0;
    // Closes the window; olSave saves the item first. Its Close event fires before this returns.
    virtual void Close(InspectorClose mode) = 0;
    virtual ConnectionPoint<InspectorEvents>& Events() = 0;
};

// Word's Document, as the editor of an item window.
class WordDocument : public Object {
public:
    // Word's spelling check with every optional argument left out: Word shows its own dialog and returns when the
    // user has finished with it.
    virtual void CheckSpelling() = 0;
    // Word's command bars. Word's toolbars, "E-mail" among them, are Word's: every document Word edits shows the
    // same bar, and it outlives the document.
    virtual Ref<outlook::CommandBars> CommandBars() = 0;
};

// Office's command bars of one window (or of Word).
class CommandBars : public Object {
public:
    // The bar of that name (CommandBars.Item(name)); ComError when there is none.
    virtual Ref<CommandBar> Item(const std::wstring& name) = 0;
    // A new bar: Add(Name, Position, MenuBar left out, Temporary). A temporary bar is not saved when Office closes.
    virtual Ref<CommandBar> Add(const std::wstring& name, BarPosition position, bool temporary) = 0;
};

class CommandBar : public Object {
public:
    virtual std::wstring Name() = 0;
    virtual Ref<CommandBarControls> Controls() = 0;
    virtual void SetLeft(int left) = 0;
    virtual void SetRowIndex(int row) = 0;
    virtual void SetVisible(bool visible) = 0;
};

// The optional arguments of CommandBarControls.Add; an empty one is left out of the call.
struct ControlPlacement {
    std::optional<std::wstring> parameter{};
    std::optional<int> before{};  // the position the new control takes, from 1
    std::optional<bool> temporary{};
};

// The controls of a bar or of a popup, in their order on it.
class CommandBarControls : public Object {
public:
    virtual int Count() = 0;
    virtual Ref<CommandBarControl> Item(int index) = 0;
    virtual Ref<CommandBarControl> Add(ControlType type, const ControlPlacement& placement) = 0;
};

// A control of a command bar: a button (CommandBarButton) or a popup (CommandBarPopup). Members of the other kind
// fail as a missing member does.
class CommandBarControl : public Object {
public:
    virtual std::wstring Tag() = 0;
    virtual void SetTag(const std::wstring& tag) = 0;
    virtual std::wstring Caption() = 0;
    virtual void SetCaption(const std::wstring& caption) = 0;
    virtual void SetTooltipText(const std::wstring& text) = 0;
    virtual void SetBeginGroup(bool begins) = 0;
    // Takes the control off its bar.
    virtual void Delete() = 0;
    // Buttons: how the button shows itself, and its face: the add-in's image resource `imageResource` (a GIF) made a
    // bitmap picture, with the add-in's bitmap resource `maskResource` as its mask.
    virtual void SetStyle(ButtonStyle style) = 0;
    virtual void SetFace(int imageResource, int maskResource) = 0;
    // Buttons: the Click event (_CommandBarButtonEvents).
    virtual ConnectionPoint<CommandBarButtonEvents>& Events() = 0;
    // Popups: the popup's own controls.
    virtual Ref<CommandBarControls> Controls() = 0;
};

class MailItem : public Object {
public:
    virtual Ref<outlook::Application> Application() = 0;
    virtual Ref<NameSpace> Session() = 0;
    // The folder that holds the item.
    virtual Ref<Object> Parent() = 0;
    virtual Ref<outlook::Attachments> Attachments() = 0;
    virtual std::wstring Body() = 0;
    virtual void SetBody(const std::wstring& body) = 0;
    virtual std::wstring HTMLBody() = 0;
    virtual void SetHTMLBody(const std::wstring& html) = 0;
    virtual std::wstring Subject() = 0;
    virtual void SetSubject(const std::wstring& subject) = 0;
    // Empty until the item is first saved.
    virtual std::wstring EntryID() = 0;
    virtual bool UnRead() = 0;
    virtual void SetUnRead(bool unread) = 0;
    virtual Ref<Inspector> GetInspector() = 0;
    virtual Ref<mapi::Message> MAPIOBJECT() = 0;
    virtual Ref<outlook::UserProperties> UserProperties() = 0;
    virtual void Save() = 0;
    virtual void Close(InspectorClose mode) = 0;
    virtual Ref<outlook::Recipients> Recipients() = 0;
    // True for sent and received items, false for drafts.
    virtual bool Sent() = 0;
    // When the sender sent it; kNoDate for an item that was never sent.
    virtual Date SentOn() = 0;
    // When the item was made; drafts have it before they have an entry id.
    virtual Date CreationTime() = 0;
    virtual Ref<Account> SendUsingAccount() = 0;  // (2007)
    virtual ConnectionPoint<ItemEvents>& Events() = 0;
};

class MAPIFolder : public Object {
public:
    virtual std::wstring EntryID() = 0;
    virtual Ref<outlook::Store> Store() = 0;  // (2007)
    // The folder as Extended MAPI's IMAPIFolder; nothing when it does not answer that interface.
    virtual Ref<mapi::Folder> MAPIOBJECT() = 0;
};

class Store : public Object {
public:
    virtual std::wstring DisplayName() = 0;
    virtual Ref<MAPIFolder> GetDefaultFolder(DefaultFolder folder) = 0;  // (2010)
};

class Recipients : public Object {
public:
    virtual int Count() = 0;
    virtual Ref<Recipient> Item(int index) = 0;
    // A new recipient of type To.
    virtual Ref<Recipient> Add(const std::wstring& name) = 0;
    virtual void Remove(int index) = 0;
};

class Recipient : public Object {
public:
    virtual Ref<outlook::Application> Application() = 0;
    virtual std::wstring Name() = 0;
    virtual std::wstring Address() = 0;
    virtual RecipientType Type() = 0;
    virtual void SetType(RecipientType type) = 0;
    virtual Ref<outlook::AddressEntry> AddressEntry() = 0;
    // True when the name resolved to an address.
    virtual bool Resolve() = 0;
};

class AddressEntry : public Object {
public:
    virtual std::wstring Name() = 0;
    virtual std::wstring Address() = 0;
    virtual Ref<mapi::MailUser> MAPIOBJECT() = 0;
    // Below 10: an Exchange kind (2007).
    virtual int AddressEntryUserType() = 0;
    // Nothing for an entry that is not an Exchange user (2007).
    virtual Ref<ExchangeUser> GetExchangeUser() = 0;
};

class ExchangeUser : public Object {
public:
    virtual std::wstring PrimarySmtpAddress() = 0;
};

class Accounts : public Object {
public:
    virtual int Count() = 0;
    virtual Ref<Account> Item(int index) = 0;
};

class Account : public Object {
public:
    virtual outlook::AccountType AccountType() = 0;
    virtual std::wstring DisplayName() = 0;
    virtual std::wstring SmtpAddress() = 0;
    virtual std::wstring UserName() = 0;
    virtual Ref<Recipient> CurrentUser() = 0;  // (2010)
    virtual Ref<Store> DeliveryStore() = 0;    // (2010)
};

class UserProperties : public Object {
public:
    virtual Ref<UserProperty> Add(const std::wstring& name, UserPropertyType type, bool addToFolderFields,
                                  int displayFormat) = 0;
    // Nothing when absent.
    virtual Ref<UserProperty> Find(const std::wstring& name) = 0;
};

class UserProperty : public Object {
public:
    virtual std::wstring Name() = 0;
    virtual Variant Value() = 0;
    virtual void SetValue(const Variant& value) = 0;
};

class Attachments : public Object {
public:
    virtual int Count() = 0;
    virtual Ref<Attachment> Item(int index) = 0;
    // Attaches the file at the path by value, under the display name when one is given.
    virtual Ref<Attachment> Add(const std::wstring& sourcePath, AttachmentType type, int position,
                                const std::wstring& displayName) = 0;
};

class Attachment : public Object {
public:
    virtual std::wstring FileName() = 0;
    virtual std::wstring DisplayName() = 0;
    virtual AttachmentType Type() = 0;
    virtual void SaveAsFile(const std::wstring& path) = 0;
    // The attachment as Extended MAPI's IMAPIProp (IAttach); nothing when it does not answer that interface.
    virtual Ref<mapi::Prop> MAPIOBJECT() = 0;
};

class COMAddIns : public Object {
public:
    virtual int Count() = 0;
    virtual Ref<COMAddIn> Item(int index) = 0;
};

class COMAddIn : public Object {
public:
    virtual std::wstring Guid() = 0;
    virtual std::wstring ProgId() = 0;
    virtual std::wstring Description() = 0;
};

}  // namespace sealwing::outlook
