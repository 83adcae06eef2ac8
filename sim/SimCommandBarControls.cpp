#include "sim/SimCommandBarControls.h"

#include <algorithm>
#include <utility>

#include "sim/SimCommandBarControl.h"
#include "sim/SimResults.h"

namespace sealwing::sim {

outlook::Ref<SimCommandBarControls> SimCommandBarControls::Create(std::weak_ptr<SimContext> context) {
    return std::make_shared<SimCommandBarControls>(std::move(context));
}

int SimCommandBarControls::Count() {
    Enter(L"CommandBarControls.Count");
    return static_cast<int>(controls_.size());
}

outlook::Ref<outlook::CommandBarControl> SimCommandBarControls::Item(int index) {
    Enter(L"CommandBarControls.Item");
    return ItemAt(controls_, index);
}

outlook::Ref<outlook::CommandBarControl> SimCommandBarControls::Add(outlook::ControlType type,
                                                                    const outlook::ControlPlacement& placement) {
    Enter(L"CommandBarControls.Add");
    if (type != outlook::msoControlButton && type != outlook::msoControlPopup) {
        throw outlook::ComError(outlook::hr::E_InvalidArg, result::kBadControlTypeText);
    }
    if (placement.before && *placement.before < 1) {
        throw outlook::ComError(outlook::hr::E_InvalidArg, result::kInvalidArgText);
    }
    auto control = SimCommandBarControl::Create(WeakContext(), type, weak_from_this());
    control->Place(placement.parameter, placement.temporary);
    auto at = controls_.end();
    if (placement.before && static_cast<std::size_t>(*placement.before) <= controls_.size()) {
        at = controls_.begin() + (*placement.before - 1);
    }
    controls_.insert(at, control);
    return control;
}

outlook::Ref<SimCommandBarControl> SimCommandBarControls::AddBuiltIn(outlook::ControlType type, std::wstring caption) {
    auto control = SimCommandBarControl::Create(WeakContext(), type, weak_from_this());
    control->Describe(std::move(caption), L"");
    controls_.push_back(control);
    return control;
}

void SimCommandBarControls::Remove(const outlook::Ref<SimCommandBarControl>& control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

void SimCommandBarControls::CollectTagged(const std::wstring& tag,
                                          std::vector<outlook::Ref<SimCommandBarControl>>& found) const {
    for (const auto& control : controls_) {
        if (control->CurrentTag() == tag) found.push_back(control);
        if (control->PopupControls()) control->PopupControls()->CollectTagged(tag, found);
    }
}

std::size_t SimCommandBarControls::CountAll() const {
    std::size_t count = controls_.size();
    for (const auto& control : controls_) {
        if (control->PopupControls()) count += control->PopupControls()->CountAll();
    }
    return count;
}

}  // namespace sealwing::sim
