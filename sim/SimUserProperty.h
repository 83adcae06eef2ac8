#pragma once

#include <memory>
#include <string>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimMailItem;

// One user property of an item; setting its value changes the item.
class SimUserProperty : public outlook::UserProperty, protected SimObject {
public:
    SimUserProperty(std::weak_ptr<SimContext> context, std::wstring name, outlook::UserPropertyType type,
                    outlook::Variant value, std::weak_ptr<SimMailItem> item);

    std::wstring Name() override;
    outlook::Variant Value() override;
    void SetValue(const outlook::Variant& value) override;

    // The simulation's own access, no gate.
    const std::wstring& PropertyName() const { return name_; }
    outlook::UserPropertyType Type() const { return type_; }
    const outlook::Variant& CurrentValue() const { return value_; }

private:
    std::wstring name_;
    outlook::UserPropertyType type_;
    outlook::Variant value_;
    std::weak_ptr<SimMailItem> item_;
};

}  // namespace sealwing::sim
