#pragma once

#include <optional>
#include <string>

namespace sealwing::service {

// Where every request goes: the service's public host over HTTPS on the default port.
inline constexpr const char* kServiceHost = "service.parcelon.example";

struct ServiceEndpoint {
    std::string host{};
    int port = 0;  // 0: the HTTPS default, 443

    bool operator==(const ServiceEndpoint&) const = default;
};

// The service host, unless SEALWING_SERVICE_ENDPOINT ("host:port", read once per process) names another one: the
// scripts point the add-in at the local stand-in of the service with it. A malformed value is ignored.
ServiceEndpoint CurrentServiceEndpoint();

// "host:port" → the endpoint; nothing for an empty host or a port outside 1..65535.
bool ParseServiceEndpoint(const std::string& text, ServiceEndpoint& endpoint);

// Tests: every request goes to `endpoint` while the object lives; then to where it went before.
class ScopedServiceEndpoint {
public:
    explicit ScopedServiceEndpoint(ServiceEndpoint endpoint);
    ~ScopedServiceEndpoint();
    ScopedServiceEndpoint(const ScopedServiceEndpoint&) = delete;
    ScopedServiceEndpoint& operator=(const ScopedServiceEndpoint&) = delete;

private:
    std::optional<ServiceEndpoint> previous_;
};

}  // namespace sealwing::service
