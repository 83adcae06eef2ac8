#include "sim/SimCOMAddIns.h"

#include <utility>

#include "sim/SimCOMAddIn.h"

namespace sealwing::sim {

SimCOMAddIns::SimCOMAddIns(std::weak_ptr<SimContext> context) : SimObject(std::move(context)) {}

int SimCOMAddIns::Count() {
    Enter(L"COMAddIns.Count");
    return static_cast<int>(addIns_.size());
}

outlook::Ref<outlook::COMAddIn> SimCOMAddIns::Item(int index) {
    Enter(L"COMAddIns.Item");
    return ItemAt(addIns_, index);
}

}  // namespace sealwing::sim
