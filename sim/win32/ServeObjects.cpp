#include "sim/win32/ServeObjects.h"

#include <memory>
#include <string>

#include "outlook/win32/dispatch/DispatchObjects.h"
#include "sim/win32/ButtonFaceRecord.h"
#include "sim/win32/FrameWindows.h"
#include "sim/win32/ServeMapi.h"
#include "sim/win32/ServerConnectionPoint.h"
#include "sim/win32/ServerObject.h"

namespace sealwing::sim::win32 {
namespace {

constexpr std::int32_t kOlFolder = 2;
constexpr std::int32_t kOlMail = 43;

ScopedVariant Served(const outlook::Ref<outlook::Object>& object) {
    return ScopedVariant::Dispatch(ServeObject(object).Get());
}

ScopedVariant Text(const std::wstring& text) { return ScopedVariant::String(text); }

ScopedVariant Nothing() { return ScopedVariant(); }

// MAPIOBJECT: the served MAPI object as VT_UNKNOWN, as Outlook hands it out; empty for Nothing.
ScopedVariant Unknown(ComPtr<IUnknown> object) {
    ScopedVariant value;
    if (!object) return value;
    value.Get()->vt = VT_UNKNOWN;
    value.Get()->punkVal = object.Detach();
    return value;
}

std::wstring TextOf(const VARIANT& value) {
    ScopedVariant converted;
    if (FAILED(VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value), 0, VT_BSTR))) {
        throw outlook::ComError(DISP_E_TYPEMISMATCH, L"A text was expected");
    }
    const BSTR bstr = converted.Get()->bstrVal;
    return bstr != nullptr ? std::wstring(bstr, SysStringLen(bstr)) : std::wstring();
}

std::int32_t NumberOf(const VARIANT& value) {
    ScopedVariant converted;
    if (FAILED(VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value), 0, VT_I4))) {
        throw outlook::ComError(DISP_E_TYPEMISMATCH, L"A number was expected");
    }
    return converted.Get()->lVal;
}

bool FlagOf(const VARIANT& value) {
    ScopedVariant converted;
    if (FAILED(VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value), 0, VT_BOOL))) {
        throw outlook::ComError(DISP_E_TYPEMISMATCH, L"A Boolean was expected");
    }
    return converted.Get()->boolVal != VARIANT_FALSE;
}

template <class Events, class Source>
void AddEvents(ServerObject& server, const outlook::Ref<Source>& source, const wchar_t* interfaceName) {
    IID iid{};
    sealwing::win32::GuidFromString(Events::kIid, iid);
    server.AddConnectionPoint(
        std::make_unique<ServerConnectionPoint<Events>>(server, iid, source->Events(), interfaceName));
}

void ServeApplication(ServerObject& s, const outlook::Ref<outlook::Application>& o) {
    IID application{};
    sealwing::win32::GuidFromString(L"{00063001-0000-0000-C000-000000000046}", application);  // _Application
    s.AnswerDualInterface(application);
    s.AddMember(L"Version", [o](const ServerArguments&) { return Text(o->Version()); });
    s.AddMember(L"Session", [o](const ServerArguments&) { return Served(o->Session()); });
    s.AddMember(L"ActiveExplorer", [o](const ServerArguments&) { return Served(o->ActiveExplorer()); });
    s.AddMember(L"ActiveInspector", [o](const ServerArguments&) { return Served(o->ActiveInspector()); });
    s.AddMember(L"Explorers", [o](const ServerArguments&) { return Served(o->Explorers()); });
    s.AddMember(L"Inspectors", [o](const ServerArguments&) { return Served(o->Inspectors()); });
    s.AddMember(L"COMAddIns", [o](const ServerArguments&) { return Served(o->COMAddIns()); });
    AddEvents<outlook::ApplicationEvents>(s, o, L"ApplicationEvents");
}

void ServeNameSpace(ServerObject& s, const outlook::Ref<outlook::NameSpace>& o) {
    s.AddMember(L"CurrentUser", [o](const ServerArguments&) { return Served(o->CurrentUser()); });
    s.AddMember(L"GetDefaultFolder", [o](const ServerArguments& a) {
        return Served(o->GetDefaultFolder(static_cast<outlook::DefaultFolder>(a.Int(0))));
    });
    s.AddMember(L"MAPIOBJECT", [o](const ServerArguments&) { return Unknown(ServeMapiSession(o->MAPIOBJECT())); });
    s.AddMember(L"Accounts", [o](const ServerArguments&) { return Served(o->Accounts()); });
    s.AddMember(L"CurrentProfileName", [o](const ServerArguments&) { return Text(o->CurrentProfileName()); });
    s.AddMember(L"GetItemFromID", [o](const ServerArguments& a) {
        return Served(o->GetItemFromID(a.String(0), a.Count() > 1 ? a.String(1) : std::wstring()));
    });
}

void ServeExplorers(ServerObject& s, const outlook::Ref<outlook::Explorers>& o) {
    s.AddMember(L"Count", [o](const ServerArguments&) { return ScopedVariant::Int(o->Count()); });
    s.AddMember(L"Item", [o](const ServerArguments& a) { return Served(o->Item(a.Int(0))); });
    AddEvents<outlook::ExplorersEvents>(s, o, L"ExplorersEvents");
}

void ServeExplorer(ServerObject& s, const outlook::Ref<outlook::Explorer>& o) {
    s.AddMember(L"Caption", [o](const ServerArguments&) { return Text(o->Caption()); });
    s.AddMember(L"Selection", [o](const ServerArguments&) { return Served(o->Selection()); });
    s.AddMember(L"IsPaneVisible", [o](const ServerArguments& a) {
        return ScopedVariant::Bool(o->IsPaneVisible(static_cast<outlook::Pane>(a.Int(0))));
    });
    s.AddMember(L"CommandBars", [o](const ServerArguments&) { return Served(o->CommandBars()); });
    s.SetWindow([o] { return ServedWindow(o->Window()); });
    AddEvents<outlook::ExplorerEvents>(s, o, L"ExplorerEvents");
}

void ServeSelection(ServerObject& s, const outlook::Ref<outlook::Selection>& o) {
    s.AddMember(L"Count", [o](const ServerArguments&) { return ScopedVariant::Int(o->Count()); });
    s.AddMember(L"Item", [o](const ServerArguments& a) { return Served(o->Item(a.Int(0))); });
}

void ServeInspectors(ServerObject& s, const outlook::Ref<outlook::Inspectors>& o) {
    s.AddMember(L"Count", [o](const ServerArguments&) { return ScopedVariant::Int(o->Count()); });
    s.AddMember(L"Item", [o](const ServerArguments& a) { return Served(o->Item(a.Int(0))); });
    s.AddMember(L"Add", [o](const ServerArguments& a) { return Served(o->Add(a.Source(0))); });
    AddEvents<outlook::InspectorsEvents>(s, o, L"InspectorsEvents");
}

void ServeInspector(ServerObject& s, const outlook::Ref<outlook::Inspector>& o) {
    s.AddMember(L"Caption", [o](const ServerArguments&) { return Text(o->Caption()); });
    s.AddMember(L"CurrentItem", [o](const ServerArguments&) { return Served(o->CurrentItem()); });
    s.AddMember(L"Activate", [o](const ServerArguments&) {
        o->Activate();
        return ScopedVariant();
    });
    s.AddMember(L"WordEditor", [o](const ServerArguments&) { return Served(o->WordEditor()); });
    s.AddMember(L"IsWordMail", [o](const ServerArguments&) { return ScopedVariant::Bool(o->IsWordMail()); });
    s.AddMember(L"CommandBars", [o](const ServerArguments&) { return Served(o->CommandBars()); });
    s.AddMember(L"Close", [o](const ServerArguments& a) {
        o->Close(static_cast<outlook::InspectorClose>(a.Int(0)));
        return Nothing();
    });
    s.SetWindow([o] { return ServedWindow(o->Window()); });
    AddEvents<outlook::InspectorEvents>(s, o, L"InspectorEvents");
}

// Word's Document as Inspector.WordEditor gives it: it answers Word's _Document interface.
void ServeWordDocument(ServerObject& s, const outlook::Ref<outlook::WordDocument>& o) {
    IID document{};
    sealwing::win32::GuidFromString(L"{0002096B-0000-0000-C000-000000000046}", document);  // _Document
    s.AnswerDualInterface(document);
    s.AddMember(L"CheckSpelling", [o](const ServerArguments&) {
        o->CheckSpelling();
        return ScopedVariant();
    });
    s.AddMember(L"CommandBars", [o](const ServerArguments&) { return Served(o->CommandBars()); });
}

// Office's command bars: Item is the collection's default member, with the bar's name as its index.
void ServeCommandBars(ServerObject& s, const outlook::Ref<outlook::CommandBars>& o) {
    s.AddMember(L"Item", [o](const ServerArguments& a) { return Served(o->Item(a.String(0))); });
    // Add(Name, Position, MenuBar, Temporary), every argument optional; the simulation takes a name and a position.
    s.AddMember(L"Add", [o](const ServerArguments& a) {
        return Served(o->Add(a.Present(0) ? a.String(0) : std::wstring(),
                             a.Present(1) ? static_cast<outlook::BarPosition>(a.Int(1)) : outlook::msoBarTop,
                             a.Present(3) && a.Bool(3)));
    });
}

void ServeCommandBar(ServerObject& s, const outlook::Ref<outlook::CommandBar>& o) {
    s.AddMember(L"Name", [o](const ServerArguments&) { return Text(o->Name()); });
    s.AddMember(L"Controls", [o](const ServerArguments&) { return Served(o->Controls()); });
    s.AddMember(L"Left", {}, [o](const VARIANT& v) { o->SetLeft(NumberOf(v)); });
    s.AddMember(L"RowIndex", {}, [o](const VARIANT& v) { o->SetRowIndex(NumberOf(v)); });
    s.AddMember(L"Visible", {}, [o](const VARIANT& v) { o->SetVisible(FlagOf(v)); });
}

// Add(Type, Id, Parameter, Before, Temporary), every argument optional; Id is not simulated.
void ServeCommandBarControls(ServerObject& s, const outlook::Ref<outlook::CommandBarControls>& o) {
    s.AddMember(L"Count", [o](const ServerArguments&) { return ScopedVariant::Int(o->Count()); });
    s.AddMember(L"Item", [o](const ServerArguments& a) { return Served(o->Item(a.Int(0))); });
    s.AddMember(L"Add", [o](const ServerArguments& a) {
        outlook::ControlPlacement placement;
        if (a.Present(2)) placement.parameter = a.String(2);
        if (a.Present(3)) placement.before = a.Int(3);
        if (a.Present(4)) placement.temporary = a.Bool(4);
        const auto type = a.Present(0) ? static_cast<outlook::ControlType>(a.Int(0)) : outlook::msoControlButton;
        return Served(o->Add(type, placement));
    });
}

// Buttons and popups: one table, so that every control has each member at the same DISPID. Picture and Mask are
// recorded by the harness (ButtonFaceRecord); the simulation's face, given as resource ids, is the DLL's to know.
void ServeCommandBarControl(ServerObject& s, const outlook::Ref<outlook::CommandBarControl>& o) {
    s.AddMember(
        L"Tag", [o](const ServerArguments&) { return Text(o->Tag()); },
        [o](const VARIANT& v) { o->SetTag(TextOf(v)); });
    s.AddMember(
        L"Caption", [o](const ServerArguments&) { return Text(o->Caption()); },
        [o](const VARIANT& v) { o->SetCaption(TextOf(v)); });
    s.AddMember(L"TooltipText", {}, [o](const VARIANT& v) { o->SetTooltipText(TextOf(v)); });
    s.AddMember(L"BeginGroup", {}, [o](const VARIANT& v) { o->SetBeginGroup(FlagOf(v)); });
    s.AddMember(L"Style", {}, [o](const VARIANT& v) { o->SetStyle(static_cast<outlook::ButtonStyle>(NumberOf(v))); });
    s.AddMember(L"Delete", [o](const ServerArguments&) {
        o->Delete();
        return Nothing();
    });
    s.AddMember(L"Controls", [o](const ServerArguments&) { return Served(o->Controls()); });
    s.AddMember(L"Picture", {}, [o](const VARIANT& v) { ButtonFaceOf(o).picture = PictureFactsOf(v); });
    s.AddMember(L"Mask", {}, [o](const VARIANT& v) { ButtonFaceOf(o).mask = PictureFactsOf(v); });
    // Only a button has the Click event: a popup refuses Events, and serves no connection point, as Office's has none.
    try {
        AddEvents<outlook::CommandBarButtonEvents>(s, o, L"_CommandBarButtonEvents");
    } catch (const outlook::ComError&) {
    }
}

void ServeMailItem(ServerObject& s, const outlook::Ref<outlook::MailItem>& o) {
    s.AddMember(L"Class", [](const ServerArguments&) { return ScopedVariant::Int(kOlMail); });
    s.AddMember(L"Application", [o](const ServerArguments&) { return Served(o->Application()); });
    s.AddMember(L"Session", [o](const ServerArguments&) { return Served(o->Session()); });
    s.AddMember(L"Parent", [o](const ServerArguments&) { return Served(o->Parent()); });
    s.AddMember(L"Attachments", [o](const ServerArguments&) { return Served(o->Attachments()); });
    s.AddMember(L"MAPIOBJECT", [o](const ServerArguments&) { return Unknown(ServeMapiMessage(o->MAPIOBJECT())); });
    s.AddMember(L"UserProperties", [o](const ServerArguments&) { return Served(o->UserProperties()); });
    s.AddMember(L"Recipients", [o](const ServerArguments&) { return Served(o->Recipients()); });
    s.AddMember(L"SendUsingAccount", [o](const ServerArguments&) { return Served(o->SendUsingAccount()); });
    s.AddMember(
        L"Body", [o](const ServerArguments&) { return Text(o->Body()); },
        [o](const VARIANT& v) { o->SetBody(TextOf(v)); });
    s.AddMember(
        L"HTMLBody", [o](const ServerArguments&) { return Text(o->HTMLBody()); },
        [o](const VARIANT& v) { o->SetHTMLBody(TextOf(v)); });
    s.AddMember(
        L"Subject", [o](const ServerArguments&) { return Text(o->Subject()); },
        [o](const VARIANT& v) { o->SetSubject(TextOf(v)); });
    s.AddMember(L"EntryID", [o](const ServerArguments&) { return Text(o->EntryID()); });
    s.AddMember(
        L"UnRead", [o](const ServerArguments&) { return ScopedVariant::Bool(o->UnRead()); },
        [o](const VARIANT& v) { o->SetUnRead(FlagOf(v)); });
    s.AddMember(L"GetInspector", [o](const ServerArguments&) { return Served(o->GetInspector()); });
    s.AddMember(L"Save", [o](const ServerArguments&) {
        o->Save();
        return ScopedVariant();
    });
    s.AddMember(L"Close", [o](const ServerArguments& a) {
        o->Close(static_cast<outlook::InspectorClose>(a.Int(0)));
        return ScopedVariant();
    });
    s.AddMember(L"Sent", [o](const ServerArguments&) { return ScopedVariant::Bool(o->Sent()); });
    s.AddMember(L"SentOn", [o](const ServerArguments&) { return ScopedVariant::Date(o->SentOn()); });
    s.AddMember(L"CreationTime", [o](const ServerArguments&) { return ScopedVariant::Date(o->CreationTime()); });
    AddEvents<outlook::ItemEvents>(s, o, L"ItemEvents");
}

void ServeFolder(ServerObject& s, const outlook::Ref<outlook::MAPIFolder>& o) {
    // Class first, at the DISPID a MailItem has it: Outlook's items and folders share Class's DISPID, and the adapter
    // reads it once for any object whose kind it does not know yet.
    s.AddMember(L"Class", [](const ServerArguments&) { return ScopedVariant::Int(kOlFolder); });
    s.AddMember(L"EntryID", [o](const ServerArguments&) { return Text(o->EntryID()); });
    s.AddMember(L"Store", [o](const ServerArguments&) { return Served(o->Store()); });
    s.AddMember(L"MAPIOBJECT", [o](const ServerArguments&) { return Unknown(ServeMapiFolder(o->MAPIOBJECT())); });
}

void ServeStore(ServerObject& s, const outlook::Ref<outlook::Store>& o) {
    s.AddMember(L"DisplayName", [o](const ServerArguments&) { return Text(o->DisplayName()); });
    s.AddMember(L"GetDefaultFolder", [o](const ServerArguments& a) {
        return Served(o->GetDefaultFolder(static_cast<outlook::DefaultFolder>(a.Int(0))));
    });
}

void ServeRecipients(ServerObject& s, const outlook::Ref<outlook::Recipients>& o) {
    s.AddMember(L"Count", [o](const ServerArguments&) { return ScopedVariant::Int(o->Count()); });
    s.AddMember(L"Item", [o](const ServerArguments& a) { return Served(o->Item(a.Int(0))); });
    s.AddMember(L"Add", [o](const ServerArguments& a) { return Served(o->Add(a.String(0))); });
    s.AddMember(L"Remove", [o](const ServerArguments& a) {
        o->Remove(a.Int(0));
        return ScopedVariant();
    });
}

void ServeRecipient(ServerObject& s, const outlook::Ref<outlook::Recipient>& o) {
    s.AddMember(L"Application", [o](const ServerArguments&) { return Served(o->Application()); });
    s.AddMember(L"Name", [o](const ServerArguments&) { return Text(o->Name()); });
    s.AddMember(L"Address", [o](const ServerArguments&) { return Text(o->Address()); });
    s.AddMember(
        L"Type", [o](const ServerArguments&) { return ScopedVariant::Int(o->Type()); },
        [o](const VARIANT& v) {
            ScopedVariant number;
            if (FAILED(VariantChangeType(number.Get(), const_cast<VARIANT*>(&v), 0, VT_I4))) {
                throw outlook::ComError(DISP_E_TYPEMISMATCH, L"A number was expected");
            }
            o->SetType(static_cast<outlook::RecipientType>(number.Get()->lVal));
        });
    s.AddMember(L"AddressEntry", [o](const ServerArguments&) { return Served(o->AddressEntry()); });
    s.AddMember(L"Resolve", [o](const ServerArguments&) { return ScopedVariant::Bool(o->Resolve()); });
}

void ServeAddressEntry(ServerObject& s, const outlook::Ref<outlook::AddressEntry>& o) {
    s.AddMember(L"Name", [o](const ServerArguments&) { return Text(o->Name()); });
    s.AddMember(L"Address", [o](const ServerArguments&) { return Text(o->Address()); });
    s.AddMember(L"MAPIOBJECT", [o](const ServerArguments&) { return Unknown(ServeMapiMailUser(o->MAPIOBJECT())); });
    s.AddMember(L"AddressEntryUserType",
                [o](const ServerArguments&) { return ScopedVariant::Int(o->AddressEntryUserType()); });
    s.AddMember(L"GetExchangeUser", [o](const ServerArguments&) { return Served(o->GetExchangeUser()); });
}

void ServeExchangeUser(ServerObject& s, const outlook::Ref<outlook::ExchangeUser>& o) {
    s.AddMember(L"PrimarySmtpAddress", [o](const ServerArguments&) { return Text(o->PrimarySmtpAddress()); });
}

void ServeAccounts(ServerObject& s, const outlook::Ref<outlook::Accounts>& o) {
    s.AddMember(L"Count", [o](const ServerArguments&) { return ScopedVariant::Int(o->Count()); });
    s.AddMember(L"Item", [o](const ServerArguments& a) { return Served(o->Item(a.Int(0))); });
}

void ServeAccount(ServerObject& s, const outlook::Ref<outlook::Account>& o) {
    s.AddMember(L"AccountType", [o](const ServerArguments&) { return ScopedVariant::Int(o->AccountType()); });
    s.AddMember(L"DisplayName", [o](const ServerArguments&) { return Text(o->DisplayName()); });
    s.AddMember(L"SmtpAddress", [o](const ServerArguments&) { return Text(o->SmtpAddress()); });
    s.AddMember(L"UserName", [o](const ServerArguments&) { return Text(o->UserName()); });
    s.AddMember(L"CurrentUser", [o](const ServerArguments&) { return Served(o->CurrentUser()); });
    s.AddMember(L"DeliveryStore", [o](const ServerArguments&) { return Served(o->DeliveryStore()); });
}

void ServeUserProperties(ServerObject& s, const outlook::Ref<outlook::UserProperties>& o) {
    s.AddMember(L"Add", [o](const ServerArguments& a) {
        return Served(o->Add(a.String(0), static_cast<outlook::UserPropertyType>(a.Int(1)),
                             a.Count() > 2 ? a.Bool(2) : true, a.Count() > 3 ? a.Int(3) : 0));
    });
    s.AddMember(L"Find", [o](const ServerArguments& a) { return Served(o->Find(a.String(0))); });
}

void ServeUserProperty(ServerObject& s, const outlook::Ref<outlook::UserProperty>& o) {
    s.AddMember(L"Name", [o](const ServerArguments&) { return Text(o->Name()); });
    s.AddMember(
        L"Value", [o](const ServerArguments&) { return outlook::win32::ToVariant(o->Value()); },
        [o](const VARIANT& v) { o->SetValue(outlook::win32::VariantFrom(v)); });
}

void ServeAttachments(ServerObject& s, const outlook::Ref<outlook::Attachments>& o) {
    s.AddMember(L"Count", [o](const ServerArguments&) { return ScopedVariant::Int(o->Count()); });
    s.AddMember(L"Item", [o](const ServerArguments& a) { return Served(o->Item(a.Int(0))); });
    s.AddMember(L"Add", [o](const ServerArguments& a) {
        return Served(o->Add(a.String(0),
                             a.Count() > 1 ? static_cast<outlook::AttachmentType>(a.Int(1)) : outlook::olByValue,
                             a.Count() > 2 ? a.Int(2) : 0, a.Count() > 3 ? a.String(3) : std::wstring()));
    });
}

void ServeAttachment(ServerObject& s, const outlook::Ref<outlook::Attachment>& o) {
    s.AddMember(L"FileName", [o](const ServerArguments&) { return Text(o->FileName()); });
    s.AddMember(L"DisplayName", [o](const ServerArguments&) { return Text(o->DisplayName()); });
    s.AddMember(L"Type", [o](const ServerArguments&) { return ScopedVariant::Int(o->Type()); });
    s.AddMember(L"SaveAsFile", [o](const ServerArguments& a) {
        o->SaveAsFile(a.String(0));
        return ScopedVariant();
    });
    s.AddMember(L"MAPIOBJECT", [o](const ServerArguments&) { return Unknown(ServeMapiAttachment(o->MAPIOBJECT())); });
}

void ServeCOMAddIns(ServerObject& s, const outlook::Ref<outlook::COMAddIns>& o) {
    s.AddMember(L"Count", [o](const ServerArguments&) { return ScopedVariant::Int(o->Count()); });
    s.AddMember(L"Item", [o](const ServerArguments& a) { return Served(o->Item(a.Int(0))); });
}

void ServeCOMAddIn(ServerObject& s, const outlook::Ref<outlook::COMAddIn>& o) {
    s.AddMember(L"Guid", [o](const ServerArguments&) { return Text(o->Guid()); });
    s.AddMember(L"ProgId", [o](const ServerArguments&) { return Text(o->ProgId()); });
    s.AddMember(L"Description", [o](const ServerArguments&) { return Text(o->Description()); });
}

// Serves the object as kind T when it is one.
template <class T, class Serve>
bool TryServe(const outlook::Ref<outlook::Object>& object, const wchar_t* typeName, Serve serve,
              ComPtr<ServerObject>& server) {
    const auto typed = std::dynamic_pointer_cast<T>(object);
    if (typed == nullptr) return false;
    server = ServerObject::Create(typeName);
    server->SetSource(object);
    serve(*server.Get(), typed);
    return true;
}

}  // namespace

ComPtr<IDispatch> ServeObject(const outlook::Ref<outlook::Object>& object) {
    if (object == nullptr) return {};
    ComPtr<ServerObject> server;
    (void)(TryServe<outlook::Application>(object, L"Application", ServeApplication, server) ||
           TryServe<outlook::NameSpace>(object, L"NameSpace", ServeNameSpace, server) ||
           TryServe<outlook::Explorers>(object, L"Explorers", ServeExplorers, server) ||
           TryServe<outlook::Explorer>(object, L"Explorer", ServeExplorer, server) ||
           TryServe<outlook::Selection>(object, L"Selection", ServeSelection, server) ||
           TryServe<outlook::Inspectors>(object, L"Inspectors", ServeInspectors, server) ||
           TryServe<outlook::Inspector>(object, L"Inspector", ServeInspector, server) ||
           TryServe<outlook::WordDocument>(object, L"Document", ServeWordDocument, server) ||
           TryServe<outlook::CommandBars>(object, L"CommandBars", ServeCommandBars, server) ||
           TryServe<outlook::CommandBar>(object, L"CommandBar", ServeCommandBar, server) ||
           TryServe<outlook::CommandBarControls>(object, L"CommandBarControls", ServeCommandBarControls, server) ||
           TryServe<outlook::CommandBarControl>(object, L"CommandBarControl", ServeCommandBarControl, server) ||
           TryServe<outlook::MailItem>(object, L"MailItem", ServeMailItem, server) ||
           TryServe<outlook::COMAddIns>(object, L"COMAddIns", ServeCOMAddIns, server) ||
           TryServe<outlook::COMAddIn>(object, L"COMAddIn", ServeCOMAddIn, server) ||
           TryServe<outlook::MAPIFolder>(object, L"MAPIFolder", ServeFolder, server) ||
           TryServe<outlook::Store>(object, L"Store", ServeStore, server) ||
           TryServe<outlook::Recipients>(object, L"Recipients", ServeRecipients, server) ||
           TryServe<outlook::Recipient>(object, L"Recipient", ServeRecipient, server) ||
           TryServe<outlook::AddressEntry>(object, L"AddressEntry", ServeAddressEntry, server) ||
           TryServe<outlook::ExchangeUser>(object, L"ExchangeUser", ServeExchangeUser, server) ||
           TryServe<outlook::Accounts>(object, L"Accounts", ServeAccounts, server) ||
           TryServe<outlook::Account>(object, L"Account", ServeAccount, server) ||
           TryServe<outlook::UserProperties>(object, L"UserProperties", ServeUserProperties, server) ||
           TryServe<outlook::UserProperty>(object, L"UserProperty", ServeUserProperty, server) ||
           TryServe<outlook::Attachments>(object, L"Attachments", ServeAttachments, server) ||
           TryServe<outlook::Attachment>(object, L"Attachment", ServeAttachment, server));
    if (!server) server = ServerObject::Create(L"Object");  // a kind not served yet: an object with no members
    return ComPtr<IDispatch>(static_cast<IDispatch*>(server.Get()));
}

}  // namespace sealwing::sim::win32
