#pragma once

#include <memory>
#include <vector>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimMailItem;

// Explorer.Selection: the items selected when it was asked for, as Outlook's Selection object keeps them.
class SimSelection final : public outlook::Selection, protected SimObject {
public:
    SimSelection(std::weak_ptr<SimContext> context, std::vector<outlook::Ref<SimMailItem>> items);

    int Count() override;
    outlook::Ref<outlook::Object> Item(int index) override;

private:
    std::vector<outlook::Ref<SimMailItem>> items_;
};

}  // namespace sealwing::sim
