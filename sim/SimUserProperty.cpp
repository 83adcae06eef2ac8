#include "sim/SimUserProperty.h"

#include <utility>

#include "sim/SimMailItem.h"

namespace sealwing::sim {

SimUserProperty::SimUserProperty(std::weak_ptr<SimContext> context, std::wstring name, outlook::UserPropertyType type,
                                 outlook::Variant value, std::weak_ptr<SimMailItem> item)
    : SimObject(std::move(context)),
      name_(std::move(name)),
      type_(type),
      value_(std::move(value)),
      item_(std::move(item)) {}

std::wstring SimUserProperty::Name() {
    Enter(L"UserProperty.Name");
    return name_;
}

outlook::Variant SimUserProperty::Value() {
    Enter(L"UserProperty.Value");
    return value_;
}

void SimUserProperty::SetValue(const outlook::Variant& value) {
    Enter(L"UserProperty.SetValue");
    value_ = value;
    if (auto item = item_.lock()) item->MarkModified();
}

}  // namespace sealwing::sim
