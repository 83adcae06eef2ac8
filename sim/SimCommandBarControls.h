#pragma once

#include <memory>
#include <string>
#include <vector>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimCommandBarControl;

// The controls of a bar or of a popup, in their order on it.
class SimCommandBarControls final : public outlook::CommandBarControls,
                                    public std::enable_shared_from_this<SimCommandBarControls>,
                                    protected SimObject {
public:
    static outlook::Ref<SimCommandBarControls> Create(std::weak_ptr<SimContext> context);

    int Count() override;
    outlook::Ref<outlook::CommandBarControl> Item(int index) override;
    // A button or a popup at `before` (from 1; appended when left out or past the end). E_INVALIDARG for another
    // control type or a position below 1.
    outlook::Ref<outlook::CommandBarControl> Add(outlook::ControlType type,
                                                 const outlook::ControlPlacement& placement) override;

    // The simulation's own access, no gate.
    const std::vector<outlook::Ref<SimCommandBarControl>>& List() const { return controls_; }
    // One of Office's own controls, at the end.
    outlook::Ref<SimCommandBarControl> AddBuiltIn(outlook::ControlType type, std::wstring caption);
    void Remove(const outlook::Ref<SimCommandBarControl>& control);
    // Controls here and in the popups here, depth first.
    void CollectTagged(const std::wstring& tag, std::vector<outlook::Ref<SimCommandBarControl>>& found) const;
    std::size_t CountAll() const;

    // Use Create.
    explicit SimCommandBarControls(std::weak_ptr<SimContext> context) : SimObject(std::move(context)) {}

private:
    std::vector<outlook::Ref<SimCommandBarControl>> controls_;
};

}  // namespace sealwing::sim
