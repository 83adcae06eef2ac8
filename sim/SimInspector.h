#pragma once

#include <memory>
#include <string>

#include "outlook/ObjectModel.h"
#include "platform/WindowSystem.h"
#include "sim/EventSource.h"
#include "sim/MessageBodyWindow.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

class SimCommandBars;
class SimMailItem;
class SimWordDocument;

// An item window. Created for an item (MailItem.GetInspector) it is not displayed yet; SimInspectors::Display shows
// it (window, collection, NewInspector) and SimInspectors::Close closes it for good.
class SimInspector : public outlook::Inspector, public std::enable_shared_from_this<SimInspector>, protected SimObject {
public:
    enum class State { Created, Displayed, Closing, Closed };

    SimInspector(std::weak_ptr<SimContext> context, outlook::Ref<SimMailItem> item);

    // The frame window; none while the inspector is not displayed.
    platform::WindowHandle Window() override;
    std::wstring Caption() override;
    outlook::Ref<outlook::Object> CurrentItem() override;
    // Displays it when it is not (NewInspector fires), then brings it to the front.
    void Activate() override;
    // Word's document while Word edits the item (SimOptions::wordEditsMailIn2003 on 2003); nothing otherwise.
    outlook::Ref<outlook::WordDocument> WordEditor() override;
    // Whether WordEditor offers Word's document.
    bool IsWordMail() override;
    outlook::Ref<outlook::CommandBars> CommandBars() override;
    // olSave saves the item first (MAPI_E_NOT_FOUND when it cannot be, and the window stays open); olDiscard and
    // olPromptForSave (the prompt is not simulated) do not. A displayed inspector then closes as SimOutlook's
    // CloseInspector closes it; one never displayed is simply done with. E_FAIL once it is closing or closed.
    void Close(outlook::InspectorClose mode) override;
    outlook::ConnectionPoint<outlook::InspectorEvents>& Events() override;

    // "Untitled - Message (HTML)" for an empty subject, "<subject> - Message (HTML)" otherwise.
    static std::wstring CaptionFor(const std::wstring& subject);

    // The simulation's own access, no gate.
    State CurrentState() const { return state_; }
    bool IsDisplayed() const { return state_ == State::Displayed; }
    bool IsClosed() const { return state_ == State::Closed; }
    platform::WindowHandle FrameWindow() const { return window_; }
    const outlook::Ref<SimMailItem>& Item() const { return item_; }
    std::wstring CurrentCaption() const;
    // Shows the caption of the item's current subject in the frame window's title.
    void RefreshCaption();
    // Displayed in the frame window, with the item's body in `body`.
    void MarkDisplayed(platform::WindowHandle window, MessageBodyWindow body);
    const MessageBodyWindow& Body() const { return body_; }
    const outlook::Ref<SimCommandBars>& Bars() const { return commandBars_; }
    // Word edits the item: always from 2007 on, on 2003 when the options make Word the e-mail editor.
    bool WordEdits() const;
    // Closing: its Close event is being fired; it is still the item's inspector but cannot be closed again.
    void MarkClosing() { state_ = State::Closing; }
    void MarkClosed() { state_ = State::Closed; }
    EventSource<outlook::InspectorEvents>& Source() { return events_; }
    // The document Word edits the item in (made on first use), whether or not WordEditor offers it.
    const outlook::Ref<SimWordDocument>& Document();

private:
    outlook::Ref<SimMailItem> item_;
    State state_ = State::Created;
    platform::WindowHandle window_ = platform::kNoWindow;
    MessageBodyWindow body_;
    outlook::Ref<SimCommandBars> commandBars_;
    outlook::Ref<SimWordDocument> document_;
    EventSource<outlook::InspectorEvents> events_;
};

}  // namespace sealwing::sim
