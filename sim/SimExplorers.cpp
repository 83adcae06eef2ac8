#include "sim/SimExplorers.h"

#include <utility>

#include "sim/SimExplorer.h"
#include "sim/WindowTree.h"

namespace sealwing::sim {
namespace {

constexpr const wchar_t* kFrameClass = L"rctrl_renwnd32";

platform::Rect ExplorerRect(std::size_t opened) {
    const int offset = static_cast<int>(opened % 8) * 30;
    return platform::Rect{offset, offset, offset + 1024, offset + 738};
}

}  // namespace

SimExplorers::SimExplorers(std::weak_ptr<SimContext> context)
    : SimObject(context), events_(context, L"ExplorersEvents") {}

int SimExplorers::Count() {
    Enter(L"Explorers.Count");
    return static_cast<int>(windows_.Items().size());
}

outlook::Ref<outlook::Explorer> SimExplorers::Item(int index) {
    Enter(L"Explorers.Item");
    return ItemAt(windows_.Items(), index);
}

outlook::ConnectionPoint<outlook::ExplorersEvents>& SimExplorers::Events() {
    Enter(L"Explorers.Events");
    return events_;
}

outlook::Ref<SimExplorer> SimExplorers::Open(std::wstring caption) {
    auto context = Live();
    const platform::WindowHandle window =
        context->Windows().Create(platform::kNoWindow, kFrameClass, caption, ExplorerRect(windows_.Opened()));
    windows_.CountOpened();
    auto explorer = std::make_shared<SimExplorer>(WeakContext(), std::move(caption), window);
    explorer->ShowReadingPane(true);  // Outlook opens a main window with its reading pane shown
    windows_.Add(explorer);
    events_.Fire(L"NewExplorer", [&explorer](outlook::ExplorersEvents& sink) { sink.NewExplorer(explorer); });
    Activate(explorer);
    return explorer;
}

void SimExplorers::Activate(const outlook::Ref<SimExplorer>& explorer) {
    if (!explorer->IsOpen() || !windows_.Contains(explorer)) return;
    windows_.Activate(explorer);
    Live()->Windows().SetForeground(explorer->FrameWindow());
    explorer->Source().Fire(L"Activate", [](outlook::ExplorerEvents& sink) { sink.Activate(); });
}

void SimExplorers::Close(const outlook::Ref<SimExplorer>& explorer) {
    if (!explorer->IsOpen()) return;
    explorer->MarkClosing();
    explorer->Source().Fire(L"Close", [](outlook::ExplorerEvents& sink) { sink.Close(); });
    windows_.Remove(explorer);
    Live()->Windows().Destroy(explorer->FrameWindow());
    explorer->MarkClosed();
}

}  // namespace sealwing::sim
