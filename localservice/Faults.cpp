#include "localservice/Faults.h"

#include <array>
#include <utility>

namespace sealwing::localservice {

namespace {

constexpr std::array<std::pair<Endpoint, std::string_view>, 10> endpointNames{{
    {Endpoint::CheckUser, "checkUser"},
    {Endpoint::Account, "account"},
    {Endpoint::AuthStatus, "authStatus"},
    {Endpoint::Message, "message"},
    {Endpoint::Send, "send"},
    {Endpoint::Attachment, "attachment"},
    {Endpoint::Version, "version"},
    {Endpoint::LogReport, "logReport"},
    {Endpoint::Reader, "reader"},
    {Endpoint::Unknown, "unknown"},
}};

}  // namespace

std::string_view EndpointName(Endpoint endpoint) {
    for (const auto& [known, name] : endpointNames) {
        if (known == endpoint) {
            return name;
        }
    }
    return "unknown";
}

std::optional<Endpoint> EndpointFromName(std::string_view name) {
    for (const auto& [known, knownName] : endpointNames) {
        if (knownName == name) {
            return known;
        }
    }
    return std::nullopt;
}

void Gate::Release() {
    {
        std::lock_guard lock(mutex_);
        released_ = true;
    }
    changed_.notify_all();
}

bool Gate::Released() const {
    std::lock_guard lock(mutex_);
    return released_;
}

bool Gate::Wait(std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return released_; });
}

void FaultTable::Set(Endpoint endpoint, Fault fault) {
    std::lock_guard lock(mutex_);
    if (fault.hold) {
        gates_.push_back(fault.hold);
    }
    faults_[endpoint] = std::move(fault);
}

void FaultTable::Clear(Endpoint endpoint) {
    std::lock_guard lock(mutex_);
    faults_.erase(endpoint);
}

void FaultTable::ClearAll() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::shared_ptr<Gate> FaultTable::Hold(Endpoint endpoint) {
    auto gate = std::make_shared<Gate>();
    std::lock_guard lock(mutex_);
    gates_.push_back(gate);
    faults_[endpoint].hold = gate;
    return gate;
}

Fault FaultTable::Take(Endpoint endpoint) {
    std::lock_guard lock(mutex_);
    auto found = faults_.find(endpoint);
    if (found == faults_.end()) {
        return {};
    }
    if (found->second.after > 0) {
        --found->second.after;
        return {};
    }
    Fault fault = found->second;
    if (found->second.times > 0 && --found->second.times == 0) {
        faults_.erase(found);
    }
    return fault;
}

void FaultTable::ReleaseAll() {
    std::vector<std::shared_ptr<Gate>> gates;
    {
        std::lock_guard lock(mutex_);
        gates = gates_;
    }
    for (const auto& gate : gates) {
        gate->Release();
    }
}

}  // namespace sealwing::localservice
