#pragma once

#include <utility>

#include "outlook/ComError.h"
#include "outlook/ConnectionPoint.h"
#include "outlook/ObjectModel.h"

namespace sealwing {

// One event sink's connection to an Outlook object. The cookie reads kNotConnected while there is no connection, and
// a connected sink refuses a second connection. UI thread only.
template <class Events>
class SinkConnection {
public:
    // Where a connection that Outlook refuses to end is reported (the owner's activity log).
    using UnadviseFailureLog = void (*)(const outlook::ComError& error);

    explicit SinkConnection(UnadviseFailureLog logFailure) : logFailure_(logFailure) {}
    ~SinkConnection() { Disconnect(); }
    SinkConnection(const SinkConnection&) = delete;
    SinkConnection& operator=(const SinkConnection&) = delete;

    // False, and nothing changes, when already connected; ComError when Outlook refuses the connection.
    template <class Source>
    bool Connect(const outlook::Ref<Source>& source, Events& sink) {
        if (IsConnected()) return false;
        auto& point = source->Events();
        cookie_ = point.Advise(sink);
        source_ = source;
        point_ = &point;
        return true;
    }

    // Ends the connection; a failure to end it is logged and the sink counts as not connected all the same.
    void Disconnect() noexcept {
        if (!IsConnected()) return;
        try {
            point_->Unadvise(cookie_);
        } catch (const outlook::ComError& error) {
            logFailure_(error);
        }
        cookie_ = outlook::kNotConnected;
        point_ = nullptr;
        source_.reset();
    }

    bool IsConnected() const { return cookie_ != outlook::kNotConnected; }
    outlook::Cookie Cookie() const { return cookie_; }

private:
    UnadviseFailureLog logFailure_;
    outlook::Cookie cookie_ = outlook::kNotConnected;
    // Held so the connection point outlives the connection.
    outlook::Ref<outlook::Object> source_;
    outlook::ConnectionPoint<Events>* point_ = nullptr;
};

}  // namespace sealwing
