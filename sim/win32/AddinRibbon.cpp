#include "sim/win32/AddinRibbon.h"

#include <cstdio>

#include "sim/win32/EventForwarder.h"
#include "sim/win32/ServedRibbonControl.h"

namespace sealwing::sim::win32 {
namespace {

using sealwing::win32::ComPtr;
using sealwing::win32::ScopedBstr;
using sealwing::win32::ScopedVariant;

void RecordFailure(const std::wstring& call, HRESULT code, const std::wstring& description) {
    wchar_t hex[16];
    std::swprintf(hex, 16, L"0x%08lX", static_cast<unsigned long>(code));
    EventFailures().push_back(L"Ribbon." + call + L": " + hex + L" " + description);
}

IID Iid(const wchar_t* text) {
    IID iid{};
    sealwing::win32::GuidFromString(text, iid);
    return iid;
}

}  // namespace

AddinRibbon::AddinRibbon(const ComPtr<IUnknown>& addin)
    : extensibility_(addin.As<IRibbonExtensibility>(Iid(kRibbonExtensibilityIid))),
      callbacks_(addin.As<IDispatch>(IID_IDispatch)) {}

std::wstring AddinRibbon::GetCustomUI(const std::wstring& ribbonId) {
    if (!extensibility_) return {};
    const ScopedBstr id(ribbonId);
    ScopedBstr xml;
    const HRESULT result = extensibility_->GetCustomUI(id.Get(), xml.Receive());
    if (FAILED(result)) {
        RecordFailure(L"GetCustomUI(" + ribbonId + L")", result, L"");
        return {};
    }
    return xml.Text();
}

bool AddinRibbon::InvokeRibbonCallback(const std::wstring& name, platform::WindowHandle controlWindow) {
    if (!callbacks_) return false;
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR member = const_cast<LPOLESTR>(name.c_str());  // only read
    if (FAILED(callbacks_->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id))) return false;
    const ComPtr<IRibbonControl> control = ServeRibbonControl(name.c_str(), controlWindow);
    ScopedVariant argument = ScopedVariant::Dispatch(control.Get());
    DISPPARAMS parameters{argument.Get(), nullptr, 1, 0};
    EXCEPINFO exception{};
    ScopedVariant result;
    const HRESULT code = callbacks_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
                                            result.Receive(), &exception, nullptr);
    const ScopedBstr description = ScopedBstr::Attach(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
    if (code == DISP_E_MEMBERNOTFOUND) return false;  // a name the add-in does not run
    if (FAILED(code)) {
        RecordFailure(name, exception.scode != 0 ? exception.scode : code, description.Text());
        return false;
    }
    return true;
}

}  // namespace sealwing::sim::win32
