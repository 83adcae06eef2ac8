#pragma once

#include <chrono>

#include "platform/Http.h"

namespace sealwing::service {

// How long requests to the service may take, so that no silent or trickling service can hold a thread, least of all
// Outlook's: every request has an overall limit, except the two transfers that may rightly run long on a slow line
// (the message upload and the attachment download), which must keep moving instead.
struct RequestLimits {
    platform::HttpLimits request{.total = std::chrono::seconds(60)};
    platform::HttpLimits transfer{.progressWindow = std::chrono::seconds(60), .progressBytes = 1024};
};

RequestLimits CurrentRequestLimits();

// Tests: every request keeps `limits` while the object lives.
class ScopedRequestLimits {
public:
    explicit ScopedRequestLimits(RequestLimits limits);
    ~ScopedRequestLimits();
    ScopedRequestLimits(const ScopedRequestLimits&) = delete;
    ScopedRequestLimits& operator=(const ScopedRequestLimits&) = delete;

private:
    RequestLimits previous_;
};

}  // namespace sealwing::service
