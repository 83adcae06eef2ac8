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
    nodes_.emplace(window, Node{parent, std::move(className), std::move(title), rect, {}});
    auto& siblings = parent == platform::kNoWindow ? topLevel_ : nodes_.at(parent).children;
    siblings.insert(siblings.begin(), window);
    return window;
}

void WindowTree::Destroy(platform::WindowHandle window) {
    std::lock_guard guard(lock_);
    const Node* node = Find(window);
    if (node == nullptr) return;
    if (node->parent == platform::kNoWindow) {
        Erase(topLevel_, window);
    } else {
        Erase(nodes_.at(node->parent).children, window);
    }
    DestroyLocked(window);
    if (nodes_.count(foreground_) == 0) foreground_ = topLevel_.empty() ? platform::kNoWindow : topLevel_.front();
}

void WindowTree::DestroyLocked(platform::WindowHandle window) {
    const auto found = nodes_.find(window);
    const std::vector<platform::WindowHandle> children = std::move(found->second.children);
    nodes_.erase(found);
    for (const platform::WindowHandle child : children) DestroyLocked(child);
}

void WindowTree::SetTitle(platform::WindowHandle window, std::wstring title) {
    std::lock_guard guard(lock_);
    if (auto found = nodes_.find(window); found != nodes_.end()) found->second.title = std::move(title);
}

void WindowTree::Move(platform::WindowHandle window, platform::Rect rect) {
    std::lock_guard guard(lock_);
    if (auto found = nodes_.find(window); found != nodes_.end()) found->second.rect = rect;
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
