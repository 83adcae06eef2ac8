#pragma once

#include <memory>

#include "outlook/ObjectModel.h"
#include "sim/EventSource.h"
#include "sim/SimObject.h"
#include "sim/WindowList.h"

namespace sealwing::sim {

class SimInspector;

// Application.Inspectors: the displayed item windows, and where they open, activate and close.
class SimInspectors : public outlook::Inspectors, protected SimObject {
public:
    explicit SimInspectors(std::weak_ptr<SimContext> context);

    int Count() override;
    outlook::Ref<outlook::Inspector> Item(int index) override;
    // The item's inspector (a new one unless it has one open), not displayed; E_INVALIDARG for what is no mail item.
    outlook::Ref<outlook::Inspector> Add(const outlook::Ref<outlook::Object>& item) override;
    outlook::ConnectionPoint<outlook::InspectorsEvents>& Events() override;

    // The simulation's own work, no gate; UI thread. Display creates the frame window, joins the collection, fires
    // NewInspector and then activates it (a displayed inspector is only activated again).
    void Display(const outlook::Ref<SimInspector>& inspector);
    // Fires the inspector's Activate; it becomes the active inspector and its window the foreground.
    void Activate(const outlook::Ref<SimInspector>& inspector);
    // Fires the inspector's Close, then leaves the collection and destroys the window. Closing twice does nothing.
    void Close(const outlook::Ref<SimInspector>& inspector);
    outlook::Ref<SimInspector> Active() const { return windows_.Active(); }
    const std::vector<outlook::Ref<SimInspector>>& OpenWindows() const { return windows_.Items(); }

private:
    WindowList<SimInspector> windows_;
    EventSource<outlook::InspectorsEvents> events_;
};

}  // namespace sealwing::sim
