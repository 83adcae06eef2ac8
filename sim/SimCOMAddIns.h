#pragma once

#include <memory>
#include <vector>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimCOMAddIn;

// Application.COMAddIns.
class SimCOMAddIns : public outlook::COMAddIns, protected SimObject {
public:
    explicit SimCOMAddIns(std::weak_ptr<SimContext> context);

    int Count() override;
    outlook::Ref<outlook::COMAddIn> Item(int index) override;

    // The simulation's own access, no gate.
    void Add(const outlook::Ref<SimCOMAddIn>& addIn) { addIns_.push_back(addIn); }

private:
    std::vector<outlook::Ref<SimCOMAddIn>> addIns_;
};

}  // namespace sealwing::sim
