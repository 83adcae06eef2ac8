#include "sim/SimSelection.h"

#include <utility>

#include "sim/SimMailItem.h"

namespace sealwing::sim {

SimSelection::SimSelection(std::weak_ptr<SimContext> context, std::vector<outlook::Ref<SimMailItem>> items)
    : SimObject(std::move(context)), items_(std::move(items)) {}

int SimSelection::Count() {
    Enter(L"Selection.Count");
    return static_cast<int>(items_.size());
}

outlook::Ref<outlook::Object> SimSelection::Item(int index) {
    Enter(L"Selection.Item");
    return ItemAt(items_, index);
}

}  // namespace sealwing::sim
