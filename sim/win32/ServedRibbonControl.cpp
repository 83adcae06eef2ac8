#include "sim/win32/ServedRibbonControl.h"

#include <atomic>
#include <string>
#include <utility>

#include "sim/win32/FrameWindows.h"
#include "sim/win32/ServerObject.h"

namespace sealwing::sim::win32 {
namespace {

using sealwing::win32::ComPtr;
using sealwing::win32::ScopedBstr;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // destroyed by Release only
// Office's callbacks reach the control through its vtable; its IDispatch has no members to call by name.
class RibbonControl final : public IRibbonControl {
public:
    RibbonControl(std::wstring id, ComPtr<IDispatch> context) : id_(std::move(id)), context_(std::move(context)) {
        sealwing::win32::GuidFromString(kRibbonControlIid, iid_);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, iid_)) {
            *object = static_cast<IRibbonControl*>(this);
            AddRef();
            return S_OK;
        }
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
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) override {
        if (id == nullptr) return E_POINTER;
        *id = ScopedBstr(id_).Detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Context(IDispatch** context) override {
        if (context == nullptr) return E_POINTER;
        *context = context_.Get();
        if (*context != nullptr) (*context)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) override {
        if (tag == nullptr) return E_POINTER;
        *tag = ScopedBstr(std::wstring()).Detach();
        return S_OK;
    }

private:
    ~RibbonControl() = default;

    std::wstring id_;
    ComPtr<IDispatch> context_;
    IID iid_{};
    std::atomic<ULONG> references_{1};
};
#pragma GCC diagnostic pop

}  // namespace

ComPtr<IRibbonControl> ServeRibbonControl(const wchar_t* id, platform::WindowHandle window) {
    const auto context = ServerObject::Create(L"Window");
    if (window != platform::kNoWindow) context->SetWindow([window] { return ServedWindow(window); });
    return ComPtr<IRibbonControl>::Attach(
        new RibbonControl(id, ComPtr<IDispatch>(static_cast<IDispatch*>(context.Get()))));
}

}  // namespace sealwing::sim::win32
