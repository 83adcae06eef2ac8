#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <utility>
#include <vector>

namespace sealwing::sim::win32 {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // destroyed by Release only, through the virtual destructor
// IUnknown of an object the harness serves through a plain COM interface: its own reference count, the interfaces it
// answers with itself (IUnknown and the given ones), and a count of such objects alive, by which the checks see that
// the add-in released everything it was handed.
template <class Interface>
class ServedUnknown : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        bool answered = IsEqualIID(iid, IID_IUnknown) != 0;
        for (const IID* own : answers_) answered = answered || IsEqualIID(iid, *own) != 0;
        if (!answered) return E_NOINTERFACE;
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    // Starts with one reference, the creator's.
    ServedUnknown(std::vector<const IID*> answers, std::atomic<long>& live)
        : answers_(std::move(answers)), live_(live) {
        ++live_;
    }
    virtual ~ServedUnknown() { --live_; }

private:
    std::vector<const IID*> answers_;
    std::atomic<long>& live_;
    std::atomic<ULONG> references_{1};
};
#pragma GCC diagnostic pop

}  // namespace sealwing::sim::win32
