#pragma once

#include <memory>
#include <optional>
#include <string>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimCommandBarControls;

// One command bar: its name, its controls, and where the add-in asked a bar it made to sit.
class SimCommandBar final : public outlook::CommandBar, protected SimObject {
public:
    // `position` and `temporary` as CommandBars.Add gave them; nothing for Office's own bars.
    SimCommandBar(std::weak_ptr<SimContext> context, std::wstring name, std::optional<outlook::BarPosition> position,
                  std::optional<bool> temporary);

    std::wstring Name() override;
    outlook::Ref<outlook::CommandBarControls> Controls() override;
    void SetLeft(int left) override;
    void SetRowIndex(int row) override;
    void SetVisible(bool visible) override;

    // The simulation's own access, no gate.
    const std::wstring& CurrentName() const { return name_; }
    const outlook::Ref<SimCommandBarControls>& ControlList() const { return controls_; }
    std::optional<outlook::BarPosition> Position() const { return position_; }
    std::optional<bool> Temporary() const { return temporary_; }
    std::optional<int> Left() const { return left_; }
    std::optional<int> RowIndex() const { return rowIndex_; }
    bool IsVisible() const { return visible_; }

private:
    std::wstring name_;
    std::optional<outlook::BarPosition> position_;
    std::optional<bool> temporary_;
    std::optional<int> left_;
    std::optional<int> rowIndex_;
    bool visible_ = false;
    outlook::Ref<SimCommandBarControls> controls_;
};

}  // namespace sealwing::sim
