#include "outlook/win32/dispatch/EventSinks.h"

#include <string>
#include <utility>

#include "outlook/win32/dispatch/DispatchClient.h"
#include "outlook/win32/dispatch/DispatchObjects.h"

namespace sealwing::outlook::win32 {
namespace {

const VARIANT& Required(const DISPPARAMS& parameters, UINT index, const wchar_t* event) {
    const VARIANT* argument = EventArgument(parameters, index);
    if (argument == nullptr) throw ComError(DISP_E_BADPARAMCOUNT, std::wstring(event) + L": missing argument");
    return *argument;
}

// A by-reference VARIANT_BOOL (the cancel flag of item events), read and written back.
VARIANT_BOOL* CancelFlag(const DISPPARAMS& parameters, UINT index, const wchar_t* event) {
    const VARIANT& argument = Required(parameters, index, event);
    if (argument.vt == (VT_BOOL | VT_BYREF) && argument.pboolVal != nullptr) return argument.pboolVal;
    if (argument.vt == (VT_VARIANT | VT_BYREF) && argument.pvarVal != nullptr && argument.pvarVal->vt == VT_BOOL) {
        return &argument.pvarVal->boolVal;
    }
    throw ComError(DISP_E_TYPEMISMATCH, std::wstring(event) + L": the cancel flag is not a VARIANT_BOOL by reference");
}

// Runs one handler of the add-in; false when it threw (reported, not passed on).
template <class Handler>
bool Deliver(Handler&& handler) {
    return platform::GuardEntry(std::forward<Handler>(handler));
}

// A handler that failed half-way has not decided to cancel: the flag stays as Outlook passed it.
template <class Handler>
void ItemResponse(const DISPPARAMS& parameters, const wchar_t* event, Handler handler) {
    const auto response = MakeItem(DispatchClient::AsObject(Required(parameters, 0, event), event));
    VARIANT_BOOL* flag = CancelFlag(parameters, 1, event);
    bool cancel = *flag != VARIANT_FALSE;
    if (Deliver([&] { handler(response, cancel); })) *flag = cancel ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace

HRESULT EventFailure(const ComError& error, EXCEPINFO* exception) {
    if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->scode = error.Code();
        exception->bstrDescription = sealwing::win32::ScopedBstr(error.Description()).Detach();
    }
    return DISP_E_EXCEPTION;
}

void DispatchEvent(ApplicationEvents& sink, DISPID id, const DISPPARAMS& parameters) {
    switch (id) {
        case ApplicationEvents::kQuit:
            Deliver([&sink] { sink.Quit(); });
            break;
        case ApplicationEvents::kNewMailEx: {
            ScopedVariant ids;
            VariantCopyInd(ids.Get(), const_cast<VARIANT*>(&Required(parameters, 0, L"NewMailEx")));
            const std::wstring entryIds = DispatchClient::AsString(std::move(ids), L"NewMailEx");
            Deliver([&] { sink.NewMailEx(entryIds); });
            break;
        }
        default:
            break;
    }
}

void DispatchEvent(InspectorsEvents& sink, DISPID id, const DISPPARAMS& parameters) {
    if (id != InspectorsEvents::kNewInspector) return;
    const auto inspector =
        MakeInspector(DispatchClient::AsObject(Required(parameters, 0, L"NewInspector"), L"NewInspector"));
    Deliver([&] { sink.NewInspector(inspector); });
}

void DispatchEvent(ExplorersEvents& sink, DISPID id, const DISPPARAMS& parameters) {
    if (id != ExplorersEvents::kNewExplorer) return;
    const auto explorer =
        MakeExplorer(DispatchClient::AsObject(Required(parameters, 0, L"NewExplorer"), L"NewExplorer"));
    Deliver([&] { sink.NewExplorer(explorer); });
}

void DispatchEvent(InspectorEvents& sink, DISPID id, const DISPPARAMS&) {
    if (id == InspectorEvents::kActivate) Deliver([&sink] { sink.Activate(); });
    if (id == InspectorEvents::kClose) Deliver([&sink] { sink.Close(); });
}

void DispatchEvent(ExplorerEvents& sink, DISPID id, const DISPPARAMS&) {
    if (id == ExplorerEvents::kActivate) Deliver([&sink] { sink.Activate(); });
    if (id == ExplorerEvents::kSelectionChange) Deliver([&sink] { sink.SelectionChange(); });
    if (id == ExplorerEvents::kClose) Deliver([&sink] { sink.Close(); });
}

void DispatchEvent(ItemEvents& sink, DISPID id, const DISPPARAMS& parameters) {
    switch (id) {
        case ItemEvents::kReply:
            ItemResponse(parameters, L"Reply",
                         [&sink](const Ref<Object>& item, bool& cancel) { sink.Reply(item, cancel); });
            break;
        case ItemEvents::kReplyAll:
            ItemResponse(parameters, L"ReplyAll",
                         [&sink](const Ref<Object>& item, bool& cancel) { sink.ReplyAll(item, cancel); });
            break;
        case ItemEvents::kForward:
            ItemResponse(parameters, L"Forward",
                         [&sink](const Ref<Object>& item, bool& cancel) { sink.Forward(item, cancel); });
            break;
        default:
            break;
    }
}

void DispatchEvent(CommandBarButtonEvents& sink, DISPID id, const DISPPARAMS& parameters) {
    if (id != CommandBarButtonEvents::kClick) return;
    const auto button = MakeCommandBarControl(DispatchClient::AsObject(Required(parameters, 0, L"Click"), L"Click"));
    VARIANT_BOOL* flag = CancelFlag(parameters, 1, L"Click");
    bool cancel = *flag != VARIANT_FALSE;
    if (Deliver([&] { sink.Click(button, cancel); })) *flag = cancel ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace sealwing::outlook::win32
