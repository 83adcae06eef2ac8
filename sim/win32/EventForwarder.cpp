#include "sim/win32/EventForwarder.h"

#include <algorithm>
#include <cstdio>

#include "sim/win32/ServeObjects.h"

namespace sealwing::sim::win32 {

using sealwing::win32::ScopedBstr;
using sealwing::win32::ScopedVariant;

static_assert(outlook::InspectorEvents::kActivate == outlook::ExplorerEvents::kActivate &&
                  outlook::InspectorEvents::kClose == outlook::ExplorerEvents::kClose,
              "one Activate and one Close serve both window interfaces");

std::vector<std::wstring>& EventFailures() {
    static std::vector<std::wstring> failures;
    return failures;
}

void EventForwarder::Fire(long id, const wchar_t* event, std::vector<VARIANT> arguments) {
    if (!sink_) return;
    std::reverse(arguments.begin(), arguments.end());  // IDispatch takes the last argument first
    DISPPARAMS parameters{arguments.empty() ? nullptr : arguments.data(), nullptr, static_cast<UINT>(arguments.size()),
                          0};
    EXCEPINFO exception{};
    // The sink may unadvise itself inside the call, which releases the forwarder's reference.
    const ComPtr<IDispatch> sink = sink_;
    const HRESULT result = sink->Invoke(static_cast<DISPID>(id), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                        &parameters, nullptr, &exception, nullptr);
    if (FAILED(result)) {
        const ScopedBstr description = ScopedBstr::Attach(exception.bstrDescription);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrHelpFile);
        wchar_t code[16];
        std::swprintf(code, 16, L"0x%08lX",
                      static_cast<unsigned long>(exception.scode != 0 ? exception.scode : result));
        EventFailures().push_back(interfaceName_ + L"." + event + L": " + code + L" " + description.Text());
    }
}

void EventForwarder::FireWithCancel(long id, const wchar_t* event, const outlook::Ref<outlook::Object>& item,
                                    bool& cancel) {
    ScopedVariant response = ScopedVariant::Dispatch(ServeObject(item).Get());
    VARIANT_BOOL flag = cancel ? VARIANT_TRUE : VARIANT_FALSE;
    VARIANT byRef;
    VariantInit(&byRef);
    byRef.vt = VT_BOOL | VT_BYREF;
    byRef.pboolVal = &flag;
    Fire(id, event, {*response.Get(), byRef});
    cancel = flag != VARIANT_FALSE;
}

void EventForwarder::Quit() { Fire(outlook::ApplicationEvents::kQuit, L"Quit", {}); }

void EventForwarder::NewMailEx(const std::wstring& entryIds) {
    const ScopedVariant ids = ScopedVariant::String(entryIds);
    Fire(outlook::ApplicationEvents::kNewMailEx, L"NewMailEx", {*ids.Get()});
}

void EventForwarder::NewInspector(const outlook::Ref<outlook::Inspector>& inspector) {
    const ScopedVariant window = ScopedVariant::Dispatch(ServeObject(inspector).Get());
    Fire(outlook::InspectorsEvents::kNewInspector, L"NewInspector", {*window.Get()});
}

void EventForwarder::NewExplorer(const outlook::Ref<outlook::Explorer>& explorer) {
    const ScopedVariant window = ScopedVariant::Dispatch(ServeObject(explorer).Get());
    Fire(outlook::ExplorersEvents::kNewExplorer, L"NewExplorer", {*window.Get()});
}

void EventForwarder::Activate() { Fire(outlook::InspectorEvents::kActivate, L"Activate", {}); }

void EventForwarder::SelectionChange() { Fire(outlook::ExplorerEvents::kSelectionChange, L"SelectionChange", {}); }

void EventForwarder::Close() { Fire(outlook::InspectorEvents::kClose, L"Close", {}); }

void EventForwarder::Reply(const outlook::Ref<outlook::Object>& response, bool& cancel) {
    FireWithCancel(outlook::ItemEvents::kReply, L"Reply", response, cancel);
}

void EventForwarder::ReplyAll(const outlook::Ref<outlook::Object>& response, bool& cancel) {
    FireWithCancel(outlook::ItemEvents::kReplyAll, L"ReplyAll", response, cancel);
}

void EventForwarder::Forward(const outlook::Ref<outlook::Object>& forward, bool& cancel) {
    FireWithCancel(outlook::ItemEvents::kForward, L"Forward", forward, cancel);
}

void EventForwarder::Click(const outlook::Ref<outlook::CommandBarControl>& button, bool& cancel) {
    FireWithCancel(outlook::CommandBarButtonEvents::kClick, L"Click", button, cancel);
}

}  // namespace sealwing::sim::win32
