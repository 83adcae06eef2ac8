#include "sim/SimCommandBarControl.h"

#include <utility>

#include "sim/SimCommandBarControls.h"
#include "sim/SimResults.h"

namespace sealwing::sim {

outlook::Ref<SimCommandBarControl> SimCommandBarControl::Create(std::weak_ptr<SimContext> context,
                                                                outlook::ControlType type,
                                                                std::weak_ptr<SimCommandBarControls> owner) {
    auto control = std::make_shared<SimCommandBarControl>(context, type, std::move(owner));
    if (type == outlook::msoControlPopup) control->popupControls_ = SimCommandBarControls::Create(context);
    return control;
}

SimCommandBarControl::SimCommandBarControl(std::weak_ptr<SimContext> context, outlook::ControlType type,
                                           std::weak_ptr<SimCommandBarControls> owner)
    : SimObject(context), type_(type), owner_(std::move(owner)), events_(context, L"CommandBarButtonEvents") {}

std::wstring SimCommandBarControl::Tag() {
    Enter(L"CommandBarControl.Tag");
    return tag_;
}

void SimCommandBarControl::SetTag(const std::wstring& tag) {
    Enter(L"CommandBarControl.SetTag");
    tag_ = tag;
}

std::wstring SimCommandBarControl::Caption() {
    Enter(L"CommandBarControl.Caption");
    return caption_;
}

void SimCommandBarControl::SetCaption(const std::wstring& caption) {
    Enter(L"CommandBarControl.SetCaption");
    caption_ = caption;
}

void SimCommandBarControl::SetTooltipText(const std::wstring& text) {
    Enter(L"CommandBarControl.SetTooltipText");
    tooltip_ = text;
}

void SimCommandBarControl::SetBeginGroup(bool begins) {
    Enter(L"CommandBarControl.SetBeginGroup");
    beginGroup_ = begins;
}

void SimCommandBarControl::Delete() {
    Enter(L"CommandBarControl.Delete");
    if (deleted_) throw outlook::ComError(outlook::hr::E_Fail, result::kControlDeletedText);
    if (auto owner = owner_.lock()) owner->Remove(shared_from_this());
    deleted_ = true;
}

void SimCommandBarControl::SetStyle(outlook::ButtonStyle style) {
    Enter(L"CommandBarControl.SetStyle");
    RequireKind(outlook::msoControlButton);
    style_ = style;
}

void SimCommandBarControl::SetFace(int imageResource, int maskResource) {
    Enter(L"CommandBarControl.SetFace");
    RequireKind(outlook::msoControlButton);
    faceImage_ = imageResource;
    faceMask_ = maskResource;
}

outlook::ConnectionPoint<outlook::CommandBarButtonEvents>& SimCommandBarControl::Events() {
    Enter(L"CommandBarControl.Events");
    RequireKind(outlook::msoControlButton);
    return events_;
}

outlook::Ref<outlook::CommandBarControls> SimCommandBarControl::Controls() {
    Enter(L"CommandBarControl.Controls");
    RequireKind(outlook::msoControlPopup);
    return popupControls_;
}

void SimCommandBarControl::Describe(std::wstring caption, std::wstring tag) {
    caption_ = std::move(caption);
    tag_ = std::move(tag);
}

void SimCommandBarControl::Place(std::optional<std::wstring> parameter, std::optional<bool> temporary) {
    parameter_ = std::move(parameter);
    temporary_ = temporary;
}

void SimCommandBarControl::RequireKind(outlook::ControlType kind) const {
    if (type_ != kind) throw outlook::ComError(outlook::hr::DispE_UnknownName, result::kUnknownNameText);
}

}  // namespace sealwing::sim
