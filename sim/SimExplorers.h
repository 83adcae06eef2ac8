#pragma once

#include <memory>
#include <string>

#include "outlook/ObjectModel.h"
#include "sim/EventSource.h"
#include "sim/SimObject.h"
#include "sim/WindowList.h"

namespace sealwing::sim {

class SimExplorer;

// Application.Explorers: the open main windows, and where they open, activate and close.
class SimExplorers : public outlook::Explorers, protected SimObject {
public:
    explicit SimExplorers(std::weak_ptr<SimContext> context);

    int Count() override;
    outlook::Ref<outlook::Explorer> Item(int index) override;
    outlook::ConnectionPoint<outlook::ExplorersEvents>& Events() override;

    // The simulation's own work, no gate; UI thread. Open creates the frame window with its reading pane, joins the
    // collection, fires NewExplorer and then activates the explorer.
    outlook::Ref<SimExplorer> Open(std::wstring caption);
    // Fires the explorer's Activate; it becomes the active explorer and its window the foreground.
    void Activate(const outlook::Ref<SimExplorer>& explorer);
    // Fires the explorer's Close, then leaves the collection and destroys the window. Closing twice does nothing.
    void Close(const outlook::Ref<SimExplorer>& explorer);
    outlook::Ref<SimExplorer> Active() const { return windows_.Active(); }
    const std::vector<outlook::Ref<SimExplorer>>& OpenWindows() const { return windows_.Items(); }

private:
    WindowList<SimExplorer> windows_;
    EventSource<outlook::ExplorersEvents> events_;
};

}  // namespace sealwing::sim
