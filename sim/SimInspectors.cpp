#include "sim/SimInspectors.h"

#include "sim/MessageBodyWindow.h"
#include "sim/SimInspector.h"
#include "sim/SimMailItem.h"
#include "sim/SimResults.h"
#include "sim/SimRibbon.h"
#include "sim/WindowTree.h"

namespace sealwing::sim {
namespace {

constexpr const wchar_t* kFrameClass = L"rctrl_renwnd32";
// The body sits below the toolbars (or ribbon) and the header fields (From, To, Cc, Subject, Attached).
constexpr int kBodyTop = 210;
constexpr int kBorder = 6;

platform::Rect InspectorRect(std::size_t opened) {
    const int offset = static_cast<int>(opened % 8) * 30;
    return platform::Rect{160 + offset, 120 + offset, 160 + offset + 820, 120 + offset + 640};
}

}  // namespace

SimInspectors::SimInspectors(std::weak_ptr<SimContext> context)
    : SimObject(context), events_(context, L"InspectorsEvents") {}

int SimInspectors::Count() {
    Enter(L"Inspectors.Count");
    return static_cast<int>(windows_.Items().size());
}

outlook::Ref<outlook::Inspector> SimInspectors::Item(int index) {
    Enter(L"Inspectors.Item");
    return ItemAt(windows_.Items(), index);
}

outlook::Ref<outlook::Inspector> SimInspectors::Add(const outlook::Ref<outlook::Object>& item) {
    Enter(L"Inspectors.Add");
    const auto mail = std::dynamic_pointer_cast<SimMailItem>(item);
    if (mail == nullptr) throw outlook::ComError(outlook::hr::E_InvalidArg, result::kInvalidArgText);
    return mail->InspectorOrNew();
}

outlook::ConnectionPoint<outlook::InspectorsEvents>& SimInspectors::Events() {
    Enter(L"Inspectors.Events");
    return events_;
}

void SimInspectors::Display(const outlook::Ref<SimInspector>& inspector) {
    if (inspector->IsDisplayed()) {
        Activate(inspector);
        return;
    }
    if (inspector->CurrentState() != SimInspector::State::Created) return;  // closing or closed: never again
    auto context = Live();
    const platform::Rect frame = InspectorRect(windows_.Opened());
    const platform::WindowHandle window =
        context->Windows().Create(platform::kNoWindow, kFrameClass, inspector->CurrentCaption(), frame);
    windows_.CountOpened();
    const platform::Rect bodyArea{frame.left + kBorder, frame.top + kBodyTop, frame.right - kBorder,
                                  frame.bottom - kBorder};
    inspector->MarkDisplayed(
        window, MessageBodyWindow::Create(context->Windows(), context->MajorVersion(), window, bodyArea, 0));
    windows_.Add(inspector);
    events_.Fire(L"NewInspector", [&inspector](outlook::InspectorsEvents& sink) { sink.NewInspector(inspector); });
    if (inspector->IsDisplayed() && context->Model().ribbon) {
        context->Model().ribbon->ItemWindowShown(SimRibbon::ItemRibbonId(inspector->Item()->IsSent()));
    }
    Activate(inspector);
}

void SimInspectors::Activate(const outlook::Ref<SimInspector>& inspector) {
    if (!inspector->IsDisplayed() || !windows_.Contains(inspector)) return;
    windows_.Activate(inspector);
    Live()->Windows().SetForeground(inspector->FrameWindow());
    inspector->Source().Fire(L"Activate", [](outlook::InspectorEvents& sink) { sink.Activate(); });
}

void SimInspectors::Close(const outlook::Ref<SimInspector>& inspector) {
    if (!inspector->IsDisplayed()) return;
    inspector->MarkClosing();  // a Close handler that closes the item again finds nothing left to close
    inspector->Source().Fire(L"Close", [](outlook::InspectorEvents& sink) { sink.Close(); });
    windows_.Remove(inspector);
    Live()->Windows().Destroy(inspector->FrameWindow());
    inspector->MarkClosed();
}

}  // namespace sealwing::sim
