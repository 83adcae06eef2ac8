#pragma once

#include <algorithm>
#include <vector>

#include "outlook/Ref.h"

namespace sealwing::sim {

// The open windows of one kind (explorers or inspectors): the collection's order, which never changes for the windows
// that stay, and the order of activation, whose latest still-open window is the active one.
template <class Window>
class WindowList {
public:
    // At the end of the collection, and the latest activated.
    void Add(const outlook::Ref<Window>& window) {
        items_.push_back(window);
        recent_.push_back(window.get());
    }

    bool Remove(const outlook::Ref<Window>& window) {
        const auto found = std::find(items_.begin(), items_.end(), window);
        if (found == items_.end()) return false;
        recent_.erase(std::remove(recent_.begin(), recent_.end(), window.get()), recent_.end());
        items_.erase(found);
        return true;
    }

    void Activate(const outlook::Ref<Window>& window) {
        if (!Contains(window)) return;
        recent_.erase(std::remove(recent_.begin(), recent_.end(), window.get()), recent_.end());
        recent_.push_back(window.get());
    }

    // The latest activated window still open; nullptr when none is open.
    outlook::Ref<Window> Active() const {
        if (recent_.empty()) return nullptr;
        for (const auto& item : items_) {
            if (item.get() == recent_.back()) return item;
        }
        return nullptr;
    }

    bool Contains(const outlook::Ref<Window>& window) const {
        return std::find(items_.begin(), items_.end(), window) != items_.end();
    }

    const std::vector<outlook::Ref<Window>>& Items() const { return items_; }
    // Windows opened so far, closed ones included: spreads the new windows' rectangles.
    std::size_t Opened() const { return opened_; }
    void CountOpened() { ++opened_; }

private:
    std::vector<outlook::Ref<Window>> items_;
    std::vector<const Window*> recent_;
    std::size_t opened_ = 0;
};

}  // namespace sealwing::sim
