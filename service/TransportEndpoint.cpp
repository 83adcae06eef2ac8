#include "service/TransportEndpoint.h"

#include <charconv>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <utility>

namespace sealwing::service {
namespace {

std::mutex g_lock;
std::optional<ServiceEndpoint> g_testEndpoint;

ServiceEndpoint FromEnvironment() {
    ServiceEndpoint endpoint{.host = kServiceHost};
    if (const char* text = std::getenv("SEALWING_SERVICE_ENDPOINT"); text != nullptr) {
        ServiceEndpoint configured;
        if (ParseServiceEndpoint(text, configured)) endpoint = configured;
    }
    return endpoint;
}

}  // namespace

bool ParseServiceEndpoint(const std::string& text, ServiceEndpoint& endpoint) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    int port = 0;
    const char* first = text.data() + colon + 1;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, port);
    if (error != std::errc() || end != last || port < 1 || port > 65535) return false;
    endpoint = ServiceEndpoint{.host = text.substr(0, colon), .port = port};
    return true;
}

ServiceEndpoint CurrentServiceEndpoint() {
    static const ServiceEndpoint configured = FromEnvironment();
    std::lock_guard guard(g_lock);
    return g_testEndpoint.value_or(configured);
}

ScopedServiceEndpoint::ScopedServiceEndpoint(ServiceEndpoint endpoint) {
    std::lock_guard guard(g_lock);
    previous_ = std::exchange(g_testEndpoint, std::move(endpoint));
}

ScopedServiceEndpoint::~ScopedServiceEndpoint() {
    std::lock_guard guard(g_lock);
    g_testEndpoint = std::move(previous_);
}

}  // namespace sealwing::service
