#pragma once

#include <windows.h>
#include <oaidl.h>

#include "outlook/win32/dispatch/ComTypes.h"
#include "platform/WindowSystem.h"

// The control Office passes to a ribbon callback, as the harness serves it.
namespace sealwing::sim::win32 {

// Office's IRibbonControl, declared here as its server sees it.
// clang-format off
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // a COM interface: released, never deleted
MIDL_INTERFACE("000C0395-0000-0000-C000-000000000046")
IRibbonControl : public IDispatch {
public:
    virtual HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Context(IDispatch** context) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) = 0;
};
#pragma GCC diagnostic pop
// clang-format on

inline constexpr const wchar_t* kRibbonControlIid = L"{000C0395-0000-0000-C000-000000000046}";

// A ribbon control whose Context is an object of the simulated frame window `window` (its IOleWindow gives the
// served window, see FrameWindows); with kNoWindow, a context that has no window. Its Tag is empty.
sealwing::win32::ComPtr<IRibbonControl> ServeRibbonControl(const wchar_t* id, platform::WindowHandle window);

}  // namespace sealwing::sim::win32
