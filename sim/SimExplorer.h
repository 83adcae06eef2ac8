#pragma once

#include <memory>
#include <string>

#include "outlook/ObjectModel.h"
#include "platform/WindowSystem.h"
#include "sim/EventSource.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

// A main window. SimExplorers opens, activates and closes it.
class SimExplorer : public outlook::Explorer, protected SimObject {
public:
    enum class State { Open, Closing, Closed };

    SimExplorer(std::weak_ptr<SimContext> context, std::wstring caption, platform::WindowHandle window);

    platform::WindowHandle Window() override;
    std::wstring Caption() override;
    outlook::ConnectionPoint<outlook::ExplorerEvents>& Events() override;

    // The simulation's own access, no gate.
    State CurrentState() const { return state_; }
    bool IsOpen() const { return state_ == State::Open; }
    platform::WindowHandle FrameWindow() const { return window_; }
    const std::wstring& CurrentCaption() const { return caption_; }
    void MarkClosing() { state_ = State::Closing; }
    void MarkClosed() { state_ = State::Closed; }
    EventSource<outlook::ExplorerEvents>& Source() { return events_; }

private:
    std::wstring caption_;
    platform::WindowHandle window_;
    State state_ = State::Open;
    EventSource<outlook::ExplorerEvents> events_;
};

}  // namespace sealwing::sim
