#include "sim/SimUserProperties.h"

#include <utility>

#include "platform/Text.h"
#include "sim/SimMailItem.h"
#include "sim/SimUserProperty.h"

namespace sealwing::sim {
namespace {

outlook::Variant EmptyValue(outlook::UserPropertyType type) {
    switch (type) {
        case outlook::olNumber:
            return 0.0;
        case outlook::olDateTime:
            return 0.0;
        case outlook::olYesNo:
            return false;
        case outlook::olText:
            break;
    }
    return std::wstring();
}

}  // namespace

SimUserProperties::SimUserProperties(std::weak_ptr<SimContext> context, std::weak_ptr<SimMailItem> item)
    : SimObject(std::move(context)), item_(std::move(item)) {}

outlook::Ref<outlook::UserProperty> SimUserProperties::Add(const std::wstring& name, outlook::UserPropertyType type,
                                                           bool addToFolderFields, int displayFormat) {
    (void)addToFolderFields;
    (void)displayFormat;
    Enter(L"UserProperties.Add");
    if (auto existing = Lookup(name)) return existing;
    auto property = std::make_shared<SimUserProperty>(WeakContext(), name, type, EmptyValue(type), item_);
    properties_.push_back(property);
    if (auto item = item_.lock()) item->MarkModified();
    return property;
}

outlook::Ref<outlook::UserProperty> SimUserProperties::Find(const std::wstring& name) {
    Enter(L"UserProperties.Find");
    return Lookup(name);
}

outlook::Ref<SimUserProperty> SimUserProperties::Lookup(const std::wstring& name) const {
    for (const auto& property : properties_) {
        if (platform::EqualsIgnoreCase(property->PropertyName(), name)) return property;
    }
    return nullptr;
}

}  // namespace sealwing::sim
