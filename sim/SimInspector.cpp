#include "sim/SimInspector.h"

#include <utility>

#include "sim/SimCommandBars.h"
#include "sim/SimContext.h"
#include "sim/SimInspectors.h"
#include "sim/SimMailItem.h"
#include "sim/SimProps.h"
#include "sim/SimResults.h"
#include "sim/SimWordDocument.h"
#include "sim/WindowTree.h"

namespace sealwing::sim {

SimInspector::SimInspector(std::weak_ptr<SimContext> context, outlook::Ref<SimMailItem> item)
    : SimObject(context),
      item_(std::move(item)),
      commandBars_(SimCommandBars::ForInspector(context)),
      events_(context, L"InspectorEvents") {}

platform::WindowHandle SimInspector::Window() {
    Enter(L"Inspector.GetWindow");
    return window_;
}

std::wstring SimInspector::Caption() {
    Enter(L"Inspector.Caption");
    return CurrentCaption();
}

outlook::Ref<outlook::Object> SimInspector::CurrentItem() {
    Enter(L"Inspector.CurrentItem");
    return item_;
}

void SimInspector::Activate() {
    const auto context = Enter(L"Inspector.Activate");
    context->Model().inspectors->Display(shared_from_this());  // a displayed one is activated again
}

outlook::Ref<outlook::WordDocument> SimInspector::WordEditor() {
    Enter(L"Inspector.WordEditor");
    if (!WordEdits()) return nullptr;
    return Document();
}

bool SimInspector::IsWordMail() {
    Enter(L"Inspector.IsWordMail");
    return WordEdits();
}

bool SimInspector::WordEdits() const {
    const auto context = Live();
    return context->MajorVersion() >= 12 || context->Options().wordEditsMailIn2003;
}

outlook::Ref<outlook::CommandBars> SimInspector::CommandBars() {
    Enter(L"Inspector.CommandBars");
    return commandBars_;
}

void SimInspector::Close(outlook::InspectorClose mode) {
    Enter(L"Inspector.Close");
    if (state_ == State::Closing || state_ == State::Closed) {
        throw outlook::ComError(outlook::hr::E_Fail, result::kInspectorClosedText);
    }
    if (state_ == State::Created) {
        item_->SaveForClose(mode);
        state_ = State::Closed;
        return;
    }
    item_->CloseWindow(mode);
}

const outlook::Ref<SimWordDocument>& SimInspector::Document() {
    if (!document_) document_ = std::make_shared<SimWordDocument>(WeakContext());
    return document_;
}

outlook::ConnectionPoint<outlook::InspectorEvents>& SimInspector::Events() {
    Enter(L"Inspector.Events");
    return events_;
}

std::wstring SimInspector::CaptionFor(const std::wstring& subject) {
    return (subject.empty() ? std::wstring(L"Untitled") : subject) + L" - Message (HTML)";
}

std::wstring SimInspector::CurrentCaption() const { return CaptionFor(item_->Props().Text(prop::PR_SUBJECT_W)); }

void SimInspector::RefreshCaption() {
    if (state_ != State::Displayed) return;
    if (auto context = WeakContext().lock()) context->Windows().SetTitle(window_, CurrentCaption());
}

void SimInspector::MarkDisplayed(platform::WindowHandle window, MessageBodyWindow body) {
    window_ = window;
    body_ = body;
    state_ = State::Displayed;
}

}  // namespace sealwing::sim
