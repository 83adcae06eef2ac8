#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "outlook/ComError.h"
#include "sim/SimContext.h"
#include "sim/SimResults.h"

namespace sealwing::sim {

// The base of every simulated object: its weak link to the simulated Outlook and the one-line member check.
class SimObject {
protected:
    explicit SimObject(std::weak_ptr<SimContext> context) : context_(std::move(context)) {}
    ~SimObject() = default;
    SimObject(const SimObject&) = delete;
    SimObject& operator=(const SimObject&) = delete;

    // First line of every object-model member: thread, injected fault, version (MemberGate). Throws ComError;
    // returns the live context for the member's work.
    std::shared_ptr<SimContext> Enter(std::wstring_view member) const {
        auto context = Live();
        context->Gate().Enter(member);
        return context;
    }

    // The same for MAPI members, which report failures as HRESULTs: S_OK and the context, or the failure.
    outlook::HResult EnterMapi(std::wstring_view member, std::shared_ptr<SimContext>& context) const {
        context = context_.lock();
        if (!context) return result::kDisconnected;
        return context->Gate().EnterMapi(member);
    }

    // The context for the simulation's own work (no gate); throws as disconnected once Outlook has closed.
    std::shared_ptr<SimContext> Live() const {
        auto context = context_.lock();
        if (!context) throw outlook::ComError(result::kDisconnected, result::kDisconnectedText);
        return context;
    }

    const std::weak_ptr<SimContext>& WeakContext() const { return context_; }

    // A collection's 1-based Item.
    template <class T>
    static const T& ItemAt(const std::vector<T>& items, int index) {
        if (index < 1 || static_cast<std::size_t>(index) > items.size()) {
            throw outlook::ComError(outlook::hr::DispE_BadIndex, result::kBadIndexText);
        }
        return items[static_cast<std::size_t>(index) - 1];
    }

private:
    std::weak_ptr<SimContext> context_;
};

}  // namespace sealwing::sim
