#pragma once

#include <memory>
#include <string>
#include <vector>

#include "outlook/ObjectModel.h"
#include "platform/WindowSystem.h"
#include "sim/EventSource.h"
#include "sim/MessageBodyWindow.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimCommandBars;
class SimMailItem;

// A main window. SimExplorers opens, activates and closes it.
class SimExplorer : public outlook::Explorer, protected SimObject {
public:
    enum class State { Open, Closing, Closed };

    SimExplorer(std::weak_ptr<SimContext> context, std::wstring caption, platform::WindowHandle window);

    platform::WindowHandle Window() override;
    std::wstring Caption() override;
    // The items selected now; later changes do not reach a Selection already handed out.
    outlook::Ref<outlook::Selection> Selection() override;
    // olPreview: whether the reading pane shows. The navigation pane's panes (olOutlookBar 1, olFolderList 2,
    // olNavigationPane 4) always show; E_INVALIDARG for any other pane.
    bool IsPaneVisible(outlook::Pane pane) override;
    outlook::Ref<outlook::CommandBars> CommandBars() override;
    outlook::ConnectionPoint<outlook::ExplorerEvents>& Events() override;

    // The simulation's own access, no gate.
    State CurrentState() const { return state_; }
    bool IsOpen() const { return state_ == State::Open; }
    platform::WindowHandle FrameWindow() const { return window_; }
    const std::wstring& CurrentCaption() const { return caption_; }
    void MarkClosing() { state_ = State::Closing; }
    void MarkClosed() { state_ = State::Closed; }
    EventSource<outlook::ExplorerEvents>& Source() { return events_; }
    const outlook::Ref<SimCommandBars>& Bars() const { return commandBars_; }
    const std::vector<outlook::Ref<SimMailItem>>& SelectedItems() const { return selection_; }
    void SetSelectedItems(std::vector<outlook::Ref<SimMailItem>> items) { selection_ = std::move(items); }
    bool ReadingPaneShown() const { return readingPaneShown_; }
    // The reading pane's windows in the frame window; none while the pane is hidden.
    const MessageBodyWindow& ReadingPane() const { return readingPane_; }
    // Creates the pane's windows (showing) or destroys them (hiding); nothing when it already is so.
    void ShowReadingPane(bool shown);

private:
    std::wstring caption_;
    platform::WindowHandle window_;
    outlook::Ref<SimCommandBars> commandBars_;
    std::vector<outlook::Ref<SimMailItem>> selection_;
    bool readingPaneShown_ = false;
    MessageBodyWindow readingPane_;
    State state_ = State::Open;
    EventSource<outlook::ExplorerEvents> events_;
};

}  // namespace sealwing::sim
