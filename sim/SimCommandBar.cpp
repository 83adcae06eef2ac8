#include "sim/SimCommandBar.h"

#include <utility>

#include "sim/SimCommandBarControls.h"

namespace sealwing::sim {

SimCommandBar::SimCommandBar(std::weak_ptr<SimContext> context, std::wstring name,
                             std::optional<outlook::BarPosition> position, std::optional<bool> temporary)
    : SimObject(context),
      name_(std::move(name)),
      position_(position),
      temporary_(temporary),
      visible_(!position.has_value()),  // Office's own bars show; a new one stays hidden until asked
      controls_(SimCommandBarControls::Create(context)) {}

std::wstring SimCommandBar::Name() {
    Enter(L"CommandBar.Name");
    return name_;
}

outlook::Ref<outlook::CommandBarControls> SimCommandBar::Controls() {
    Enter(L"CommandBar.Controls");
    return controls_;
}

void SimCommandBar::SetLeft(int left) {
    Enter(L"CommandBar.SetLeft");
    left_ = left;
}

void SimCommandBar::SetRowIndex(int row) {
    Enter(L"CommandBar.SetRowIndex");
    rowIndex_ = row;
}

void SimCommandBar::SetVisible(bool visible) {
    Enter(L"CommandBar.SetVisible");
    visible_ = visible;
}

}  // namespace sealwing::sim
