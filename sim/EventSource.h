#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "outlook/ComError.h"
#include "outlook/ConnectionPoint.h"
#include "sim/AddinCallback.h"
#include "sim/SimContext.h"
#include "sim/SimResults.h"

namespace sealwing::sim {

// One connection point of a simulated object. Cookies count from 1 and are never reused. Advise and Unadvise pass
// the member gate as "<Interface>.Advise" / "<Interface>.Unadvise" and are written to the journal; so is every firing
// that reaches a sink. Sinks are held as plain references, as the add-in's sinks are members of the objects that
// advise them: a sink must unadvise before it dies.
template <class Events>
class EventSource final : public outlook::ConnectionPoint<Events> {
public:
    // interfaceName as the journal shows it: L"InspectorsEvents", L"ItemEvents".
    EventSource(std::weak_ptr<SimContext> context, std::wstring interfaceName)
        : context_(std::move(context)), name_(std::move(interfaceName)), state_(std::make_shared<State>()) {}

    // The connections end with their source, silently, as when Outlook releases an object it closed.
    ~EventSource() override {
        if (auto context = context_.lock()) context->Journal().Dropped(state_->sinks.size());
    }

    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;

    outlook::Cookie Advise(Events& sink) override {
        auto context = Enter(L".Advise");
        if (state_->nextCookie == 0) {
            throw outlook::ComError(outlook::hr::Connect_E_AdviseLimit, result::kAdviseLimitText);
        }
        const outlook::Cookie cookie = state_->nextCookie++;
        if (state_->nextCookie == outlook::kNotConnected) ++state_->nextCookie;
        state_->sinks.emplace(cookie, &sink);
        context->Journal().Advised(name_);
        return cookie;
    }

    void Unadvise(outlook::Cookie cookie) override {
        auto context = Enter(L".Unadvise");
        if (state_->sinks.erase(cookie) == 0) {
            throw outlook::ComError(outlook::hr::Connect_E_NoConnection, result::kNoConnectionText);
        }
        context->Journal().Unadvised(name_);
    }

    // Calls call(sink) for each sink advised when the firing starts and still advised when its turn comes: a handler
    // may unadvise itself or others, and the source may even be released, while the event is being fired. Each call
    // is an entry into the add-in (sim/AddinCallback.h): a handler that throws is reported, and the firing goes on to
    // the next sink, as Outlook's does past a sink whose Invoke returned.
    template <class Call>
    void Fire(std::wstring_view eventName, Call&& call) {
        const std::shared_ptr<State> state = state_;  // outlives `this` if a handler releases the source
        const std::vector<std::pair<outlook::Cookie, Events*>> snapshot(state->sinks.begin(), state->sinks.end());
        if (snapshot.empty()) return;
        if (auto context = context_.lock()) context->Journal().Fired(name_, eventName);
        const std::wstring entry = name_ + L"." + std::wstring(eventName);
        for (const auto& [cookie, sink] : snapshot) {
            const auto current = state->sinks.find(cookie);
            if (current == state->sinks.end()) continue;
            RunAddinCallback(entry, [&call, &current] { call(*current->second); });
        }
    }

    std::size_t Connections() const { return state_->sinks.size(); }
    const std::wstring& InterfaceName() const { return name_; }

private:
    struct State {
        std::map<outlook::Cookie, Events*> sinks;
        outlook::Cookie nextCookie = 1;
    };

    std::shared_ptr<SimContext> Enter(std::wstring_view verb) const {
        auto context = context_.lock();
        if (!context) throw outlook::ComError(result::kDisconnected, result::kDisconnectedText);
        context->Gate().Enter(name_ + std::wstring(verb));
        return context;
    }

    std::weak_ptr<SimContext> context_;
    std::wstring name_;
    std::shared_ptr<State> state_;
};

}  // namespace sealwing::sim
