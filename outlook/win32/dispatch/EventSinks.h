#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include <atomic>
#include <map>
#include <string>

#include "outlook/ConnectionPoint.h"
#include "outlook/Events.h"
#include "outlook/win32/dispatch/ComErrorFrom.h"
#include "outlook/win32/dispatch/ComTypes.h"
#include "platform/EntryGuard.h"

// Outlook's events reach the add-in's C++ sinks through a small COM sink per event interface: an IDispatch whose
// Invoke maps the interface's DISPIDs to the sink's virtual calls, wrapping object arguments in adapter objects.
// UI thread only: Outlook fires its events there.
namespace sealwing::outlook::win32 {

using sealwing::win32::ComPtr;

// The n-th argument in the member's order (IDispatch passes them reversed); nullptr when it was not passed.
inline const VARIANT* EventArgument(const DISPPARAMS& parameters, UINT index) {
    if (parameters.rgvarg == nullptr || index >= parameters.cArgs) return nullptr;
    return &parameters.rgvarg[parameters.cArgs - 1 - index];
}

// What each event interface does with an Invoke; an event the interface does not handle is ignored, as an event
// map that lists only some DISPIDs ignores the others. Throws ComError for arguments that are missing or of the wrong
// type, before the handler runs. The handler is the add-in's own entry: what it throws is reported
// (platform::GuardEntry) and goes no further, and a cancel flag is then left as Outlook passed it.
void DispatchEvent(ApplicationEvents& sink, DISPID id, const DISPPARAMS& parameters);
void DispatchEvent(InspectorsEvents& sink, DISPID id, const DISPPARAMS& parameters);
void DispatchEvent(ExplorersEvents& sink, DISPID id, const DISPPARAMS& parameters);
void DispatchEvent(InspectorEvents& sink, DISPID id, const DISPPARAMS& parameters);
void DispatchEvent(ExplorerEvents& sink, DISPID id, const DISPPARAMS& parameters);
void DispatchEvent(ItemEvents& sink, DISPID id, const DISPPARAMS& parameters);
void DispatchEvent(CommandBarButtonEvents& sink, DISPID id, const DISPPARAMS& parameters);

// Arguments the sink could not read: the event never reached the add-in, and the source learns so as DISP_E_EXCEPTION
// with the error's code and description. A handler's own failure is the add-in's alone and is not told.
HRESULT EventFailure(const ComError& error, EXCEPINFO* exception);

// COM objects are destroyed by their own Release, never through a base pointer: the interfaces have no virtual
// destructor by design.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
template <class Events>
class DispatchSink final : public IDispatch {
public:
    DispatchSink(Events& sink, const IID& iid) : sink_(&sink), iid_(iid) {}

    // After Unadvise the source may still hold the sink for a while; it must never reach the C++ sink again.
    void Detach() { sink_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, iid_)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;  // sources call by DISPID
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) override {
        if (result != nullptr) VariantInit(result);
        if (sink_ == nullptr) return S_OK;
        // A handler may end the connection (a window's Close): the sink stays alive until its Invoke returns.
        const ComPtr<DispatchSink> self(this);
        static const DISPPARAMS kNoArguments{nullptr, nullptr, 0, 0};
        // An entry from Outlook. The handler's failures stay inside DispatchEvent; what arrives here is the decoding's
        // (or memory's), reported as well, and the event counts as not delivered.
        HRESULT answer = S_OK;
        const bool delivered = platform::GuardEntry([&] {
            try {
                DispatchEvent(*sink_, id, parameters != nullptr ? *parameters : kNoArguments);
            } catch (const ComError& error) {
                answer = EventFailure(error, exception);
                throw;
            }
        });
        return (delivered || FAILED(answer)) ? answer : E_UNEXPECTED;
    }

private:
    ~DispatchSink() = default;

    Events* sink_;
    IID iid_;
    std::atomic<ULONG> references_{1};
};
#pragma GCC diagnostic pop

// An event interface of an Outlook object, through its IConnectionPointContainer.
template <class Events>
class DispatchConnectionPoint final : public ConnectionPoint<Events> {
public:
    // The source outlives the connection point: both belong to the same adapter object.
    explicit DispatchConnectionPoint(IDispatch* source) : source_(source) {}
    DispatchConnectionPoint(const DispatchConnectionPoint&) = delete;
    DispatchConnectionPoint& operator=(const DispatchConnectionPoint&) = delete;

    // Connections left open are closed so that Outlook never calls a destroyed C++ sink; there is nobody to tell of
    // a failure here, and the sink is detached either way.
    ~DispatchConnectionPoint() override {
        for (auto& [cookie, connection] : connections_) {
            connection.sink->Detach();
            connection.point->Unadvise(cookie);
        }
    }

    Cookie Advise(Events& sink) override {
        IID iid{};
        if (!sealwing::win32::GuidFromString(Events::kIid, iid)) throw ComError(E_INVALIDARG, Events::kIid);
        ComPtr<IConnectionPointContainer> container;
        HRESULT result =
            source_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.Receive()));
        if (FAILED(result)) throw ComErrorFrom(result);
        ComPtr<IConnectionPoint> point;
        result = container->FindConnectionPoint(iid, point.Receive());
        if (FAILED(result)) throw ComErrorFrom(result);
        auto comSink = ComPtr<DispatchSink<Events>>::Attach(new DispatchSink<Events>(sink, iid));
        DWORD cookie = 0;
        result = point->Advise(static_cast<IDispatch*>(comSink.Get()), &cookie);
        if (FAILED(result)) {
            comSink->Detach();
            throw ComErrorFrom(result);
        }
        connections_.emplace(static_cast<Cookie>(cookie), Connection{point, comSink});
        return static_cast<Cookie>(cookie);
    }

    void Unadvise(Cookie cookie) override {
        const auto found = connections_.find(cookie);
        if (found == connections_.end()) {
            throw ComError(hr::Connect_E_NoConnection, L"Unadvise: no connection with this cookie");
        }
        Connection connection = found->second;
        connections_.erase(found);
        connection.sink->Detach();
        const HRESULT result = connection.point->Unadvise(static_cast<DWORD>(cookie));
        if (FAILED(result)) throw ComErrorFrom(result);
    }

private:
    struct Connection {
        ComPtr<IConnectionPoint> point;
        ComPtr<DispatchSink<Events>> sink;
    };

    IDispatch* source_;
    std::map<Cookie, Connection> connections_;
};

}  // namespace sealwing::outlook::win32
