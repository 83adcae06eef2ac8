#include "platform/win32/testdata/ServiceUnderTest.h"

// winsock2.h must come before windows.h, which would otherwise bring the old winsock.h.
#include "platform/win32/Win32Headers.h"
#include <winsock2.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/Text.h"
#include "service/TransportEndpoint.h"

namespace sealwing::platform::win32::testing {
namespace {

std::optional<std::string> ReadFile(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

// The service's record format: "METHOD TARGET", the header lines, an empty line, the raw body.
std::optional<ReceivedRequest> ParseRecord(const std::string& text) {
    const std::size_t headEnd = text.find("\r\n\r\n");
    if (headEnd == std::string::npos) return std::nullopt;
    ReceivedRequest request;
    request.body = text.substr(headEnd + 4);
    std::size_t lineStart = 0;
    bool first = true;
    while (lineStart < headEnd) {
        std::size_t lineEnd = text.find("\r\n", lineStart);
        if (lineEnd == std::string::npos || lineEnd > headEnd) lineEnd = headEnd;
        const std::string line = text.substr(lineStart, lineEnd - lineStart);
        const std::size_t split = line.find(first ? " " : ": ");
        if (split == std::string::npos) return std::nullopt;
        if (first) {
            request.method = line.substr(0, split);
            request.target = line.substr(split + 1);
        } else {
            request.headers.emplace_back(line.substr(0, split), line.substr(split + 2));
        }
        first = false;
        lineStart = lineEnd + 2;
    }
    return request;
}

}  // namespace

std::optional<std::string> ReceivedRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualsIgnoreCase(WideFromUtf8(key), WideFromUtf8(name))) return value;
    }
    return std::nullopt;
}

std::variant<ServiceUnderTest, std::string> ServiceUnderTest::FromEnvironment(const char* endpointVariable,
                                                                              const char* recordVariable) {
    const char* endpointText = std::getenv(endpointVariable);
    const char* recordText = std::getenv(recordVariable);
    service::ServiceEndpoint endpoint;
    if (endpointText == nullptr || !service::ParseServiceEndpoint(endpointText, endpoint)) {
        return std::string(endpointVariable) + " must name the service as host:port";
    }
    if (recordText == nullptr || !std::filesystem::is_directory(recordText)) {
        return std::string(recordVariable) + " must name the folder where the service records requests";
    }
    ServiceUnderTest service;
    service.host_ = endpoint.host;
    service.port_ = endpoint.port;
    service.recordFolder_ = recordText;
    return service;
}

std::vector<ReceivedRequest> ServiceUnderTest::Received() const {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(recordFolder_)) {
        if (entry.path().extension() == ".http") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());  // six-digit arrival numbers
    std::vector<ReceivedRequest> requests;
    for (const std::filesystem::path& file : files) {
        const std::optional<std::string> text = ReadFile(file);
        std::optional<ReceivedRequest> request = text ? ParseRecord(*text) : std::nullopt;
        // A record that cannot be read still counts, so a check for "nothing arrived" cannot miss it.
        requests.push_back(request ? std::move(*request) : ReceivedRequest{.method = "unreadable record"});
    }
    return requests;
}

int ClosedLoopbackPort() {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    int port = 0;
    const SOCKET probe = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    // Bound but never listening, then closed: the port was free a moment ago and nothing accepts on it.
    if (probe != INVALID_SOCKET && ::bind(probe, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    if (probe != INVALID_SOCKET) ::closesocket(probe);
    ::WSACleanup();
    return port;
}

}  // namespace sealwing::platform::win32::testing
