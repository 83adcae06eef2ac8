#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimCommandBar;
class SimCommandBarControl;

// Office's command bars of one window, or Word's. The factories give each the bars Office shows there, with a few of
// Office's own buttons, so that a control the add-in adds "before" a position lands between existing ones.
class SimCommandBars final : public outlook::CommandBars, protected SimObject {
public:
    // "Menu Bar", "Standard" and "Advanced".
    static outlook::Ref<SimCommandBars> ForExplorer(std::weak_ptr<SimContext> context);
    // "Menu Bar" and "Standard" (Send, Save, Attach, Print).
    static outlook::Ref<SimCommandBars> ForInspector(std::weak_ptr<SimContext> context);
    // Word's, shared by every document Word edits: "Menu Bar", "Standard" and "E-mail" (Send, Accounts, Options...).
    static outlook::Ref<SimCommandBars> ForWord(std::weak_ptr<SimContext> context);

    // E_INVALIDARG for a name no bar has (names compare as Office does, ignoring case).
    outlook::Ref<outlook::CommandBar> Item(const std::wstring& name) override;
    // E_INVALIDARG when a bar of that name exists already, as Office refuses it.
    outlook::Ref<outlook::CommandBar> Add(const std::wstring& name, outlook::BarPosition position,
                                          bool temporary) override;

    // The simulation's own access, no gate.
    // The bar of that name; nullptr when none.
    outlook::Ref<SimCommandBar> Bar(const std::wstring& name) const;
    const std::vector<outlook::Ref<SimCommandBar>>& Bars() const { return bars_; }
    // Controls of any bar, popups included, whose tag is `tag`, in bar order, depth first.
    std::vector<outlook::Ref<SimCommandBarControl>> ControlsTagged(const std::wstring& tag) const;
    // The first of them; nullptr when none.
    outlook::Ref<SimCommandBarControl> FindControlByTag(const std::wstring& tag) const;
    // Controls on every bar, popups' controls included.
    std::size_t ControlCount() const;

    explicit SimCommandBars(std::weak_ptr<SimContext> context) : SimObject(std::move(context)) {}

private:
    void AddBuiltInBar(std::wstring name, std::initializer_list<const wchar_t*> buttons);

    std::vector<outlook::Ref<SimCommandBar>> bars_;
};

}  // namespace sealwing::sim
