#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// The local service as a Windows test program under Wine sees it. The service runs natively on Linux, started by
// scripts/run-winhttp-wine.sh with --record, so it writes every request it receives into a folder; the program reads
// that folder through Wine's drive mapping to check what actually arrived on the wire.
namespace sealwing::platform::win32::testing {

// One request as the service received it.
struct ReceivedRequest {
    std::string method{};
    std::string target{};
    std::vector<std::pair<std::string, std::string>> headers{};
    std::string body{};

    // The value of the first header of that name, compared without regard to case.
    std::optional<std::string> Header(std::string_view name) const;
};

class ServiceUnderTest {
public:
    // From an environment variable holding "host:port" and one holding the Windows path of the record folder.
    // Returns an explanation instead when either is missing or malformed.
    static std::variant<ServiceUnderTest, std::string> FromEnvironment(const char* endpointVariable,
                                                                       const char* recordVariable);

    const std::string& Host() const { return host_; }
    int Port() const { return port_; }
    // Every request received so far, in arrival order.
    std::vector<ReceivedRequest> Received() const;

private:
    std::string host_{};
    int port_ = 0;
    std::filesystem::path recordFolder_{};
};

// A loopback port on which nothing listens, so a connection there is refused.
int ClosedLoopbackPort();

}  // namespace sealwing::platform::win32::testing
