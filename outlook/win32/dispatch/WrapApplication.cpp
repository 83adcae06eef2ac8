#include "outlook/win32/dispatch/WrapApplication.h"

#include "outlook/win32/dispatch/DispatchObjects.h"

namespace sealwing::outlook::win32 {

outlook::Ref<outlook::Object> WrapApplication(IDispatch* application) {
    if (application == nullptr) return nullptr;
    return MakeApplication(ComPtr<IDispatch>(application));
}

}  // namespace sealwing::outlook::win32
