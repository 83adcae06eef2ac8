#include "sim/win32/ServeObjects.h"

#include <memory>
#include <string>

#include "sim/win32/FrameWindows.h"
#include "sim/win32/ServerConnectionPoint.h"
#include "sim/win32/ServerObject.h"

namespace sealwing::sim::win32 {
namespace {

constexpr std::int32_t kOlMail = 43;

ScopedVariant Served(const outlook::Ref<outlook::Object>& object) {
    return ScopedVariant::Dispatch(ServeObject(object).Get());
}

ScopedVariant Text(const std::wstring& text) { return ScopedVariant::String(text); }

std::wstring TextOf(const VARIANT& value) {
    ScopedVariant converted;
    if (FAILED(VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value), 0, VT_BSTR))) {
        throw outlook::ComError(DISP_E_TYPEMISMATCH, L"A text was expected");
    }
    const BSTR bstr = converted.Get()->bstrVal;
    return bstr != nullptr ? std::wstring(bstr, SysStringLen(bstr)) : std::wstring();
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
    s.SetWindow([o] { return ServedWindow(o->Window()); });
    AddEvents<outlook::ExplorerEvents>(s, o, L"ExplorerEvents");
}

void ServeInspectors(ServerObject& s, const outlook::Ref<outlook::Inspectors>& o) {
    s.AddMember(L"Count", [o](const ServerArguments&) { return ScopedVariant::Int(o->Count()); });
    s.AddMember(L"Item", [o](const ServerArguments& a) { return Served(o->Item(a.Int(0))); });
    AddEvents<outlook::InspectorsEvents>(s, o, L"InspectorsEvents");
}

void ServeInspector(ServerObject& s, const outlook::Ref<outlook::Inspector>& o) {
    s.AddMember(L"Caption", [o](const ServerArguments&) { return Text(o->Caption()); });
    s.AddMember(L"CurrentItem", [o](const ServerArguments&) { return Served(o->CurrentItem()); });
    s.SetWindow([o] { return ServedWindow(o->Window()); });
    AddEvents<outlook::InspectorEvents>(s, o, L"InspectorEvents");
}

void ServeMailItem(ServerObject& s, const outlook::Ref<outlook::MailItem>& o) {
    s.AddMember(L"Class", [](const ServerArguments&) { return ScopedVariant::Int(kOlMail); });
    s.AddMember(L"Application", [o](const ServerArguments&) { return Served(o->Application()); });
    s.AddMember(L"Session", [o](const ServerArguments&) { return Served(o->Session()); });
    s.AddMember(L"Parent", [o](const ServerArguments&) { return Served(o->Parent()); });
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
    AddEvents<outlook::ItemEvents>(s, o, L"ItemEvents");
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
        TryServe<outlook::Inspectors>(object, L"Inspectors", ServeInspectors, server) ||
        TryServe<outlook::Inspector>(object, L"Inspector", ServeInspector, server) ||
        TryServe<outlook::MailItem>(object, L"MailItem", ServeMailItem, server) ||
        TryServe<outlook::COMAddIns>(object, L"COMAddIns", ServeCOMAddIns, server) ||
        TryServe<outlook::COMAddIn>(object, L"COMAddIn", ServeCOMAddIn, server));
    if (!server) server = ServerObject::Create(L"Object");  // a kind not served yet: an object with no members
    return ComPtr<IDispatch>(static_cast<IDispatch*>(server.Get()));
}

}  // namespace sealwing::sim::win32
