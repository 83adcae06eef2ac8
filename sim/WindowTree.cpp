#include "sim/WindowTree.h"

#include <algorithm>
#include <utility>

namespace sealwing::sim {
namespace {

constexpr platform::WindowHandle kHandleStep = 4;  // handles look like Win32's: even, spread out

void Erase(std::vector<platform::WindowHandle>& list, platform::WindowHandle window) {
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

}  // namespace

platform::WindowHandle WindowTree::Create(platform::WindowHandle parent, std::wstring className, std::wstring title,
                                          platform::Rect rect) {
    std::lock_guard guard(lock_);
    if (parent != platform::kNoWindow && nodes_.count(parent) == 0) return platform::kNoWindow;
    const platform::WindowHandle window = nextHandle_;
    nextHandle_ += kHandleStep;
    nodes_.emplace(window, Node{parent, std::move(className), std::move(title), rect, {}, true, {}});
    auto& siblings = parent == platform::kNoWindow ? topLevel_ : nodes_.at(parent).children;
    siblings.insert(siblings.begin(), window);
    return window;
}

void WindowTree::Destroy(platform::WindowHandle window) {
    std::vector<platform::WindowHandle> doomed;  // the parent before its children, as WM_DESTROY goes
    {
        std::lock_guard guard(lock_);
        if (Find(window) == nullptr) return;
        CollectLocked(window, doomed);
    }
    for (const platform::WindowHandle each : doomed) {
        Tell(each, {platform::WindowNotification{.kind = platform::WindowNotification::Kind::Destroy}});
    }
    std::lock_guard guard(lock_);
    const Node* node = Find(window);  // a procedure may have destroyed it already
    if (node == nullptr) return;
    if (node->parent == platform::kNoWindow) {
        Erase(topLevel_, window);
    } else {
        Erase(nodes_.at(node->parent).children, window);
    }
    DestroyLocked(window);
    if (nodes_.count(foreground_) == 0) foreground_ = topLevel_.empty() ? platform::kNoWindow : topLevel_.front();
}

void WindowTree::CollectLocked(platform::WindowHandle window, std::vector<platform::WindowHandle>& windows) const {
    windows.push_back(window);
    for (const platform::WindowHandle child : nodes_.at(window).children) CollectLocked(child, windows);
}

void WindowTree::DestroyLocked(platform::WindowHandle window) {
    const auto found = nodes_.find(window);
    if (found == nodes_.end()) return;
    const std::vector<platform::WindowHandle> children = std::move(found->second.children);
    nodes_.erase(found);
    for (const platform::WindowHandle child : children) DestroyLocked(child);
}

void WindowTree::SetTitle(platform::WindowHandle window, std::wstring title) {
    std::lock_guard guard(lock_);
    if (auto found = nodes_.find(window); found != nodes_.end()) found->second.title = std::move(title);
}

void WindowTree::Move(platform::WindowHandle window, platform::Rect rect) {
    SetPosition(window, std::pair{rect.left, rect.top}, std::pair{rect.Width(), rect.Height()});
}

void WindowTree::MoveTo(platform::WindowHandle window, int x, int y) {
    std::optional<std::pair<int, int>> origin;
    {
        std::lock_guard guard(lock_);
        const Node* node = Find(window);
        if (node == nullptr) return;
        const Node* parent = Find(node->parent);
        origin = parent == nullptr ? std::pair{x, y} : std::pair{parent->rect.left + x, parent->rect.top + y};
    }
    SetPosition(window, origin, std::nullopt);
}

void WindowTree::Resize(platform::WindowHandle window, int width, int height) {
    SetPosition(window, std::nullopt, std::pair{width, height});
}

void WindowTree::SetPosition(platform::WindowHandle window, std::optional<std::pair<int, int>> origin,
                             std::optional<std::pair<int, int>> size) {
    using Kind = platform::WindowNotification::Kind;
    std::vector<platform::WindowNotification> told;
    {
        std::lock_guard guard(lock_);
        const auto found = nodes_.find(window);
        if (found == nodes_.end()) return;
        platform::Rect& rect = found->second.rect;
        const int width = size ? size->first : rect.Width();
        const int height = size ? size->second : rect.Height();
        const platform::WindowNotification change{
            .width = size ? width : 0, .height = size ? height : 0, .carriesSize = size.has_value()};
        told.push_back(change);
        told.back().kind = Kind::PositionChanging;
        if (origin) ShiftLocked(window, origin->first - rect.left, origin->second - rect.top);
        rect.right = rect.left + width;
        rect.bottom = rect.top + height;
        told.push_back(change);
        told.back().kind = Kind::PositionChanged;
        if (origin) {
            const auto [x, y] = OriginInParentLocked(found->second);
            told.push_back({.kind = Kind::Move, .x = x, .y = y});
        }
        if (size) told.push_back({.kind = Kind::Size, .width = width, .height = height});
    }
    Tell(window, told);
}

void WindowTree::ShiftLocked(platform::WindowHandle window, int dx, int dy) {
    Node& node = nodes_.at(window);
    node.rect = {node.rect.left + dx, node.rect.top + dy, node.rect.right + dx, node.rect.bottom + dy};
    for (const platform::WindowHandle child : node.children) ShiftLocked(child, dx, dy);
}

std::pair<int, int> WindowTree::OriginInParentLocked(const Node& node) const {
    const Node* parent = Find(node.parent);
    if (parent == nullptr) return {node.rect.left, node.rect.top};
    return {node.rect.left - parent->rect.left, node.rect.top - parent->rect.top};
}

void WindowTree::Tell(platform::WindowHandle window, const std::vector<platform::WindowNotification>& notifications) {
    for (const platform::WindowNotification& notification : notifications) {
        std::vector<platform::SubclassProcedure> procedures;
        {
            std::lock_guard guard(lock_);
            const Node* node = Find(window);
            if (node == nullptr) return;
            procedures.assign(node->subclasses.rbegin(), node->subclasses.rend());  // the latest first
        }
        for (const platform::SubclassProcedure procedure : procedures) procedure(window, notification);
    }
}

std::optional<platform::Rect> WindowTree::ClientRect(platform::WindowHandle window) {
    std::lock_guard guard(lock_);
    const Node* node = Find(window);
    if (node == nullptr) return std::nullopt;
    return platform::Rect{0, 0, node->rect.Width(), node->rect.Height()};
}

platform::WindowHandle WindowTree::CreateChildWindow(platform::WindowHandle parent, platform::Rect rect) {
    platform::Rect screen = rect;
    {
        std::lock_guard guard(lock_);
        const Node* node = Find(parent);
        if (node == nullptr) return platform::kNoWindow;
        screen = {node->rect.left + rect.left, node->rect.top + rect.top, node->rect.left + rect.right,
                  node->rect.top + rect.bottom};
    }
    return Create(parent, kChildWindowClass, L"", screen);
}

void WindowTree::DestroyWindow(platform::WindowHandle window) { Destroy(window); }

void WindowTree::MoveWindowTo(platform::WindowHandle window, int x, int y) { MoveTo(window, x, y); }

void WindowTree::ResizeWindow(platform::WindowHandle window, int width, int height) { Resize(window, width, height); }

void WindowTree::PlaceWindow(platform::WindowHandle window, platform::Rect rect) {
    MoveTo(window, rect.left, rect.top);
    Resize(window, rect.Width(), rect.Height());
}

void WindowTree::ShowWindow(platform::WindowHandle window, bool visible) {
    std::lock_guard guard(lock_);
    if (auto found = nodes_.find(window); found != nodes_.end()) found->second.visible = visible;
}

bool WindowTree::Subclass(platform::WindowHandle window, platform::SubclassProcedure procedure) {
    std::lock_guard guard(lock_);
    const auto found = nodes_.find(window);
    if (found == nodes_.end() || procedure == nullptr) return false;
    auto& procedures = found->second.subclasses;
    if (std::find(procedures.begin(), procedures.end(), procedure) != procedures.end()) return false;
    procedures.push_back(procedure);
    return true;
}

void WindowTree::RemoveSubclass(platform::WindowHandle window, platform::SubclassProcedure procedure) {
    std::lock_guard guard(lock_);
    if (auto found = nodes_.find(window); found != nodes_.end()) {
        auto& procedures = found->second.subclasses;
        procedures.erase(std::remove(procedures.begin(), procedures.end(), procedure), procedures.end());
    }
}

bool WindowTree::IsVisible(platform::WindowHandle window) const {
    std::lock_guard guard(lock_);
    const Node* node = Find(window);
    return node != nullptr && node->visible;
}

std::size_t WindowTree::Subclasses(platform::WindowHandle window) const {
    std::lock_guard guard(lock_);
    const Node* node = Find(window);
    return node == nullptr ? 0 : node->subclasses.size();
}

void WindowTree::SetForeground(platform::WindowHandle window) {
    std::lock_guard guard(lock_);
    const platform::WindowHandle top = TopLevelOf(window);
    if (top == platform::kNoWindow) return;
    Erase(topLevel_, top);
    topLevel_.insert(topLevel_.begin(), top);
    foreground_ = top;
}

bool WindowTree::IsWindow(platform::WindowHandle window) {
    std::lock_guard guard(lock_);
    return Find(window) != nullptr;
}

std::vector<platform::WindowHandle> WindowTree::TopLevelWindows() {
    std::lock_guard guard(lock_);
    return topLevel_;
}

std::vector<platform::WindowHandle> WindowTree::Children(platform::WindowHandle window) {
    std::lock_guard guard(lock_);
    const Node* node = Find(window);
    return node == nullptr ? std::vector<platform::WindowHandle>{} : node->children;
}

platform::WindowHandle WindowTree::Parent(platform::WindowHandle window) {
    std::lock_guard guard(lock_);
    const Node* node = Find(window);
    return node == nullptr ? platform::kNoWindow : node->parent;
}

std::wstring WindowTree::ClassName(platform::WindowHandle window) {
    std::lock_guard guard(lock_);
    const Node* node = Find(window);
    return node == nullptr ? std::wstring() : node->className;
}

std::wstring WindowTree::Title(platform::WindowHandle window) {
    std::lock_guard guard(lock_);
    const Node* node = Find(window);
    return node == nullptr ? std::wstring() : node->title;
}

std::optional<platform::Rect> WindowTree::WindowRect(platform::WindowHandle window) {
    std::lock_guard guard(lock_);
    const Node* node = Find(window);
    if (node == nullptr) return std::nullopt;
    return node->rect;
}

platform::WindowHandle WindowTree::Foreground() {
    std::lock_guard guard(lock_);
    return foreground_;
}

std::size_t WindowTree::Count() const {
    std::lock_guard guard(lock_);
    return nodes_.size();
}

std::vector<platform::WindowHandle> WindowTree::FindByClass(const std::wstring& className) const {
    std::lock_guard guard(lock_);
    std::vector<platform::WindowHandle> found;
    for (const auto& [window, node] : nodes_) {
        if (node.className == className) found.push_back(window);
    }
    return found;
}

const WindowTree::Node* WindowTree::Find(platform::WindowHandle window) const {
    const auto found = nodes_.find(window);
    return found == nodes_.end() ? nullptr : &found->second;
}

platform::WindowHandle WindowTree::TopLevelOf(platform::WindowHandle window) const {
    const Node* node = Find(window);
    while (node != nullptr && node->parent != platform::kNoWindow) {
        window = node->parent;
        node = Find(window);
    }
    return node == nullptr ? platform::kNoWindow : window;
}

}  // namespace sealwing::sim
