#include "localservice/RequestLog.h"

#include "localservice/ServiceState.h"

namespace sealwing::localservice {

std::optional<std::string> RecordedRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (EqualsIgnoringCase(key, name)) {
            return value;
        }
    }
    return std::nullopt;
}

void RequestLog::Add(RecordedRequest request) {
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
        ++total_;
    }
    added_.notify_all();
}

std::vector<RecordedRequest> RequestLog::All() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t RequestLog::Count() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

void RequestLog::Clear() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

bool RequestLog::WaitForCount(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return added_.wait_for(lock, limit, [&] { return requests_.size() >= count; });
}

}  // namespace sealwing::localservice
