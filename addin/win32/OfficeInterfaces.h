#pragma once

// The two Office interfaces the add-in implements, and the ribbon control Office passes to its callbacks, as Office
// declares them (their type libraries are Office's, so they are written out here rather than imported).

#include <windows.h>
#include <oaidl.h>

namespace sealwing::win32 {

// {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}
inline constexpr IID kIidIDTExtensibility2 = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};
// {000C0396-0000-0000-C000-000000000046}
inline constexpr IID kIidIRibbonExtensibility = {
    0x000C0396, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {000C0395-0000-0000-C000-000000000046}
inline constexpr IID kIidIRibbonControl = {
    0x000C0395, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// Outlook's _Application: {00063001-0000-0000-C000-000000000046}
inline constexpr IID kIidOutlookApplication = {
    0x00063001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

enum ext_ConnectMode : int {};
enum ext_DisconnectMode : int {};

#pragma GCC diagnostic push
// COM objects are destroyed by Release, never deleted through an interface.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// NOLINTBEGIN(readability-identifier-naming): Office's own names
struct _IDTExtensibility2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* application, ext_ConnectMode connectMode,
                                                   IDispatch* addInInst, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode removeMode, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};

struct IRibbonExtensibility : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) = 0;
};

// The control a ribbon callback is for; its Context is the window it sits in (an Inspector or an Explorer).
struct IRibbonControl : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Context(IDispatch** context) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) = 0;
};
// NOLINTEND(readability-identifier-naming)

#pragma GCC diagnostic pop

}  // namespace sealwing::win32
