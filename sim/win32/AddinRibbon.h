#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "outlook/Ribbon.h"
#include "outlook/win32/dispatch/ComTypes.h"

namespace sealwing::sim::win32 {

// Office's IRibbonExtensibility, declared here as a client sees it.
// clang-format off
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // a COM interface: released, never deleted
MIDL_INTERFACE("000C0396-0000-0000-C000-000000000046")
IRibbonExtensibility : public IDispatch {
public:
    virtual HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) = 0;
};
#pragma GCC diagnostic pop
// clang-format on

inline constexpr const wchar_t* kRibbonExtensibilityIid = L"{000C0396-0000-0000-C000-000000000046}";

// The add-in DLL's ribbon as Office reaches it, for the simulated Outlook (SimOutlook::SetRibbonExtensibility): the
// XML through IRibbonExtensibility, and each callback by name through the add-in's IDispatch (GetIDsOfNames, then
// Invoke with one argument, a ribbon control whose Context is the window's object; see ServeRibbonControl). A call
// the add-in fails is added to EventFailures, which the harness reports; the simulation sees no XML, or a callback
// not run.
class AddinRibbon final : public outlook::RibbonExtensibility {
public:
    // The add-in object; nothing when it offers no IRibbonExtensibility (GetCustomUI then gives no XML).
    explicit AddinRibbon(const sealwing::win32::ComPtr<IUnknown>& addin);

    std::wstring GetCustomUI(const std::wstring& ribbonId) override;
    bool InvokeRibbonCallback(const std::wstring& name, platform::WindowHandle controlWindow) override;

private:
    sealwing::win32::ComPtr<IRibbonExtensibility> extensibility_;
    sealwing::win32::ComPtr<IDispatch> callbacks_;
};

}  // namespace sealwing::sim::win32
