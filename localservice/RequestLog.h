#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sealwing::localservice {

struct RecordedRequest {
    std::string method;
    std::string target;  // the path with its query, as the client sent it (not decoded)
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;  // raw bytes

    std::optional<std::string> Header(const std::string& name) const;  // name compared without regard to case
};

// Every request the service received, in arrival order; written by request threads, read by tests.
class RequestLog {
public:
    void Add(RecordedRequest request);
    std::vector<RecordedRequest> All() const;
    std::size_t Count() const;
    void Clear();
    // Waits until at least `count` requests arrived, at most `limit`; true if they did.
    bool WaitForCount(std::size_t count, std::chrono::milliseconds limit) const;
    // From now on also writes each request into `folder` (created if missing) as "<arrival number>.http", six digits:
    // the method and target on the first line, the header lines, an empty line, then the raw body. A client in
    // another process, such as a Windows program under Wine, reads there what arrived. Written before the request
    // is answered, and renamed into place, so a file is complete once it appears.
    void MirrorTo(std::filesystem::path folder);

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable added_;
    std::vector<RecordedRequest> requests_;
    std::size_t total_ = 0;  // arrivals since the start, unaffected by Clear
    std::filesystem::path mirror_;
};

}  // namespace sealwing::localservice
