#include "sim/SimExplorer.h"

#include <utility>

namespace sealwing::sim {

SimExplorer::SimExplorer(std::weak_ptr<SimContext> context, std::wstring caption, platform::WindowHandle window)
    : SimObject(context), caption_(std::move(caption)), window_(window), events_(context, L"ExplorerEvents") {}

platform::WindowHandle SimExplorer::Window() {
    Enter(L"Explorer.GetWindow");
    return window_;
}

std::wstring SimExplorer::Caption() {
    Enter(L"Explorer.Caption");
    return caption_;
}

outlook::ConnectionPoint<outlook::ExplorerEvents>& SimExplorer::Events() {
    Enter(L"Explorer.Events");
    return events_;
}

}  // namespace sealwing::sim
