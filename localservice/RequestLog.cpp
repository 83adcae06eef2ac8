#include "localservice/RequestLog.h"

#include <cstdio>
#include <fstream>
#include <iostream>

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

namespace {

void WriteMirror(const std::filesystem::path& folder, std::size_t number, const RecordedRequest& request) {
    char name[32];
    std::snprintf(name, sizeof name, "%06zu", number);
    std::string text = request.method + " " + request.target + "\r\n";
    for (const auto& [key, value] : request.headers) {
        text += key + ": " + value + "\r\n";
    }
    text += "\r\n" + request.body;
    const std::filesystem::path partial = folder / (std::string(name) + ".partial");
    std::ofstream file(partial, std::ios::binary);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    std::error_code error;
    if (file) {
        std::filesystem::rename(partial, folder / (std::string(name) + ".http"), error);
    }
    if (!file || error) {
        // The reader finds the file missing; this line says why.
        std::cerr << "sealwing-localservice: cannot mirror request " << name << " to " << folder << "\n";
    }
}

}  // namespace

void RequestLog::Add(RecordedRequest request) {
    {
        std::lock_guard lock(mutex_);
        ++total_;
        if (!mirror_.empty()) {
            WriteMirror(mirror_, total_, request);
        }
        requests_.push_back(std::move(request));
    }
    added_.notify_all();
}

void RequestLog::MirrorTo(std::filesystem::path folder) {
    std::filesystem::create_directories(folder);
    std::lock_guard lock(mutex_);
    mirror_ = std::move(folder);
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
