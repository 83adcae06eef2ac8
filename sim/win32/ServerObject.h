#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>
#include <ole2.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "outlook/ComError.h"
#include "outlook/ObjectModel.h"
#include "outlook/win32/dispatch/ComTypes.h"
#include "platform/WindowSystem.h"

// The harness's side of COM: the simulated Outlook's objects served as IDispatch objects with Outlook's member names,
// so the real DLL reaches them exactly as it reaches Outlook. Everything runs on the harness's one apartment thread,
// the simulated Outlook's UI thread.
namespace sealwing::sim::win32 {

using sealwing::win32::ComPtr;
using sealwing::win32::ScopedBstr;
using sealwing::win32::ScopedVariant;

// The arguments of one Invoke, in the member's order (IDispatch passes them reversed). Each read throws ComError
// (DISP_E_BADPARAMCOUNT, DISP_E_TYPEMISMATCH) when the caller passed something else.
class ServerArguments {
public:
    explicit ServerArguments(const DISPPARAMS& parameters) : parameters_(parameters) {}
    UINT Count() const { return parameters_.cArgs - parameters_.cNamedArgs; }
    // Whether an optional argument was passed: given, and not left out as VT_ERROR DISP_E_PARAMNOTFOUND.
    bool Present(UINT index) const;
    std::int32_t Int(UINT index) const;
    bool Bool(UINT index) const;
    std::wstring String(UINT index) const;
    // The simulated object behind a served object passed back (VT_DISPATCH); nothing for Nothing and for an object
    // the harness did not serve.
    outlook::Ref<outlook::Object> Source(UINT index) const;
    const VARIANT& At(UINT index) const;

private:
    const DISPPARAMS& parameters_;
};

class ServerConnectionPointBase;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // destroyed by Release only, never through an interface
// One served object: a table of members (DISPID = position + 1), and where the object has them, a frame window
// (IOleWindow) and connection points (IConnectionPointContainer). A ComError thrown by a member becomes
// DISP_E_EXCEPTION with the code and description in EXCEPINFO.
class ServerObject final : public IDispatch, public IOleWindow, public IConnectionPointContainer {
public:
    // A property read or a method call; the result is left empty for a method that returns nothing.
    using Getter = std::function<ScopedVariant(const ServerArguments&)>;
    using Setter = std::function<void(const VARIANT&)>;

    // Starts with one reference, which the caller owns.
    static ComPtr<ServerObject> Create(std::wstring typeName);

    void AddMember(const wchar_t* name, Getter get, Setter put = {});
    void SetWindow(std::function<platform::WindowHandle()> window) { window_ = std::move(window); }
    // Another dispatch interface the object answers with itself, as Outlook's Application answers _Application.
    void AnswerDualInterface(const IID& iid) { dualInterfaces_.push_back(iid); }
    // Takes ownership; the point lives as long as this object.
    void AddConnectionPoint(std::unique_ptr<ServerConnectionPointBase> point);
    const std::wstring& TypeName() const { return typeName_; }
    // The simulated object served, for a member that takes a served object back as its argument (Inspectors.Add).
    void SetSource(outlook::Ref<outlook::Object> source) { source_ = std::move(source); }
    const outlook::Ref<outlook::Object>& Source() const { return source_; }
    // What a served object came from; nothing for Nothing and for an object the harness did not serve.
    static outlook::Ref<outlook::Object> SourceOf(IDispatch* object);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT* badArgument) override;
    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

private:
    explicit ServerObject(std::wstring typeName);
    ~ServerObject();

    struct Member {
        std::wstring name;
        Getter get;
        Setter put;
    };

    std::wstring typeName_;
    std::vector<Member> members_;
    std::function<platform::WindowHandle()> window_;
    std::vector<IID> dualInterfaces_;
    std::vector<std::unique_ptr<ServerConnectionPointBase>> points_;
    outlook::Ref<outlook::Object> source_;
    std::atomic<ULONG> references_{1};
};
#pragma GCC diagnostic pop

// Fills EXCEPINFO from a ComError: what the adapter on the other side turns back into the same ComError.
HRESULT ReportException(const outlook::ComError& error, EXCEPINFO* exception);
// Sets the thread's IErrorInfo, which a caller of a plain (non-dispatch) interface reads with GetErrorInfo.
void SetErrorDescription(const std::wstring& description);

}  // namespace sealwing::sim::win32
