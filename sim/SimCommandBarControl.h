#pragma once

#include <memory>
#include <optional>
#include <string>

#include "outlook/Events.h"
#include "outlook/ObjectModel.h"
#include "sim/EventSource.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimCommandBarControls;

// A control of a command bar: a button (msoControlButton) with its Click connection point, or a popup
// (msoControlPopup) with controls of its own. A member of the other kind fails as a missing member does
// (DISP_E_UNKNOWNNAME), as a late-bound call on the wrong CommandBarControl does in Office.
class SimCommandBarControl final : public outlook::CommandBarControl,
                                   public std::enable_shared_from_this<SimCommandBarControl>,
                                   protected SimObject {
public:
    // The controls a popup holds are made here; `owner` is the collection the control sits in.
    static outlook::Ref<SimCommandBarControl> Create(std::weak_ptr<SimContext> context, outlook::ControlType type,
                                                     std::weak_ptr<SimCommandBarControls> owner);

    std::wstring Tag() override;
    void SetTag(const std::wstring& tag) override;
    std::wstring Caption() override;
    void SetCaption(const std::wstring& caption) override;
    void SetTooltipText(const std::wstring& text) override;
    void SetBeginGroup(bool begins) override;
    // Fails (E_FAIL) for a control already deleted.
    void Delete() override;
    void SetStyle(outlook::ButtonStyle style) override;
    void SetFace(int imageResource, int maskResource) override;
    outlook::ConnectionPoint<outlook::CommandBarButtonEvents>& Events() override;
    outlook::Ref<outlook::CommandBarControls> Controls() override;

    // The simulation's own access, no gate.
    outlook::ControlType Type() const { return type_; }
    bool IsButton() const { return type_ == outlook::msoControlButton; }
    const std::wstring& CurrentTag() const { return tag_; }
    const std::wstring& CurrentCaption() const { return caption_; }
    const std::wstring& TooltipText() const { return tooltip_; }
    bool BeginsGroup() const { return beginGroup_; }
    std::optional<outlook::ButtonStyle> Style() const { return style_; }
    // The face's image and mask resources as SetFace gave them; nothing before.
    std::optional<int> FaceImage() const { return faceImage_; }
    std::optional<int> FaceMask() const { return faceMask_; }
    const std::optional<std::wstring>& Parameter() const { return parameter_; }
    const std::optional<bool>& Temporary() const { return temporary_; }
    bool IsDeleted() const { return deleted_; }
    // A popup's controls; nullptr for a button.
    const outlook::Ref<SimCommandBarControls>& PopupControls() const { return popupControls_; }
    EventSource<outlook::CommandBarButtonEvents>& Source() { return events_; }
    // What Office's own controls start with, and what Add records.
    void Describe(std::wstring caption, std::wstring tag);
    void Place(std::optional<std::wstring> parameter, std::optional<bool> temporary);
    void MarkDeleted() { deleted_ = true; }

    // Use Create.
    SimCommandBarControl(std::weak_ptr<SimContext> context, outlook::ControlType type,
                         std::weak_ptr<SimCommandBarControls> owner);

private:
    void RequireKind(outlook::ControlType kind) const;

    outlook::ControlType type_;
    std::weak_ptr<SimCommandBarControls> owner_;
    std::wstring tag_;
    std::wstring caption_;
    std::wstring tooltip_;
    bool beginGroup_ = false;
    std::optional<outlook::ButtonStyle> style_;
    std::optional<int> faceImage_;
    std::optional<int> faceMask_;
    std::optional<std::wstring> parameter_;
    std::optional<bool> temporary_;
    bool deleted_ = false;
    outlook::Ref<SimCommandBarControls> popupControls_;
    EventSource<outlook::CommandBarButtonEvents> events_;
};

}  // namespace sealwing::sim
