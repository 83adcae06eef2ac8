#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "outlook/ComError.h"
#include "outlook/ConnectionPoint.h"
#include "outlook/win32/dispatch/ComTypes.h"
#include "sim/win32/EventForwarder.h"
#include "sim/win32/ServerObject.h"

namespace sealwing::sim::win32 {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // owned by its container, never deleted through the interface
// A served connection point: part of its container object, whose reference count it shares.
class ServerConnectionPointBase : public IConnectionPoint {
public:
    ServerConnectionPointBase(ServerObject& container, const IID& iid) : container_(container), iid_(iid) {}
    virtual ~ServerConnectionPointBase() = default;

    const IID& Iid() const { return iid_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
            *object = static_cast<IConnectionPoint*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return container_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return container_.Release(); }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        if (iid == nullptr) return E_POINTER;
        *iid = iid_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override {
        if (container == nullptr) return E_POINTER;
        return container_.QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container));
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override {
        if (connections != nullptr) *connections = nullptr;
        return E_NOTIMPL;
    }

private:
    ServerObject& container_;
    IID iid_;
};
#pragma GCC diagnostic pop

// Connects the DLL's dispatch sink to the simulated object's connection point through an EventForwarder: the
// simulation's journal, its advise limits and its injected failures all apply, as they do to a native sink.
template <class Events>
class ServerConnectionPoint final : public ServerConnectionPointBase {
public:
    ServerConnectionPoint(ServerObject& container, const IID& iid, outlook::ConnectionPoint<Events>& point,
                          std::wstring interfaceName)
        : ServerConnectionPointBase(container, iid), point_(point), interfaceName_(std::move(interfaceName)) {}

    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (sink == nullptr || cookie == nullptr) return E_POINTER;
        *cookie = 0;
        ComPtr<IDispatch> dispatch;
        if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.Receive())))) {
            return kCannotConnect;
        }
        auto forwarder = std::make_unique<EventForwarder>(std::move(dispatch), interfaceName_);
        try {
            const outlook::Cookie simCookie = point_.Advise(static_cast<Events&>(*forwarder));
            *cookie = static_cast<DWORD>(simCookie);
            forwarders_[simCookie] = std::move(forwarder);
            return S_OK;
        } catch (const outlook::ComError& error) {
            SetErrorDescription(error.Description());
            return error.Code();
        }
    }

    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        try {
            point_.Unadvise(static_cast<outlook::Cookie>(cookie));
        } catch (const outlook::ComError& error) {
            SetErrorDescription(error.Description());
            return error.Code();
        }
        const auto found = forwarders_.find(static_cast<outlook::Cookie>(cookie));
        if (found != forwarders_.end()) {
            // An Unadvise from inside an event runs while the forwarder is still on the stack: it is kept until
            // the connection point goes.
            found->second->DropSink();
            retired_.push_back(std::move(found->second));
            forwarders_.erase(found);
        }
        return S_OK;
    }

private:
    static constexpr HRESULT kCannotConnect = static_cast<HRESULT>(0x80040202);

    outlook::ConnectionPoint<Events>& point_;
    std::wstring interfaceName_;
    std::map<outlook::Cookie, std::unique_ptr<EventForwarder>> forwarders_;
    std::vector<std::unique_ptr<EventForwarder>> retired_;
};

}  // namespace sealwing::sim::win32
