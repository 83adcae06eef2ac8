#pragma once

#include <memory>
#include <string>
#include <vector>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimMailItem;
class SimUserProperty;

// MailItem.UserProperties: names compare without regard to case.
class SimUserProperties : public outlook::UserProperties, protected SimObject {
public:
    SimUserProperties(std::weak_ptr<SimContext> context, std::weak_ptr<SimMailItem> item);

    // A new property holding its type's empty value; a name already present gives the existing property.
    outlook::Ref<outlook::UserProperty> Add(const std::wstring& name, outlook::UserPropertyType type,
                                            bool addToFolderFields, int displayFormat) override;
    outlook::Ref<outlook::UserProperty> Find(const std::wstring& name) override;

    // The simulation's own access, no gate.
    outlook::Ref<SimUserProperty> Lookup(const std::wstring& name) const;
    const std::vector<outlook::Ref<SimUserProperty>>& List() const { return properties_; }

private:
    std::weak_ptr<SimMailItem> item_;
    std::vector<outlook::Ref<SimUserProperty>> properties_;
};

}  // namespace sealwing::sim
