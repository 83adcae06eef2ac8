#include "outlook/Mapi.h"

namespace sealwing::outlook::mapi {

HResult HrGetOneProp(Prop& object, PropTag tag, PropValue& value) {
    std::vector<PropValue> values;
    const HResult result = object.GetProps({tag}, values);
    if (Failed(result)) return result;
    if (values.size() != 1) return hr::E_Fail;
    if (const auto* error = std::get_if<PropError>(&values.front().data)) return error->code;
    value = std::move(values.front());
    return hr::S_Ok;
}

}  // namespace sealwing::outlook::mapi
