// The fault matrix (tests/FaultMatrix.h) on the Windows build's engine, WinHTTP, under Wine, against a local service
// that runs natively and takes each case's faults over HTTP.

#include <gtest/gtest.h>
#include <winsock2.h>

#include <cstdlib>
#include <string>

#include "addin/ProcessState.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32TempFolder.h"
#include "platform/win32/WinHttp.h"
#include "platform/win32/testdata/LocalServiceTestMain.h"
#include "settings/PasswordCache.h"
#include "tests/FaultMatrix.h"

namespace sealwing::service {
namespace {

// A port on loopback that nobody listens on: bound, read and let go.
int RefusingPort() {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    const SOCKET probe = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    int port = 0;
    if (::bind(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::closesocket(probe);
    ::WSACleanup();
    return port;
}

class FaultMatrixOnWindowsTest : public ::testing::Test {
protected:
    FaultMatrixOnWindowsTest() {
        ResetProcessState();
        settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"pw");
    }
    ~FaultMatrixOnWindowsTest() override { ResetProcessState(); }

    // Replaces the service's faults with the seed's records, as the service's control path takes them.
    void SetFaults(const std::string& seed) {
        ServiceEndpoint service;
        ASSERT_TRUE(ParseServiceEndpoint(std::getenv("SEALWING_SERVICE_ENDPOINT"), service));
        const platform::HttpReply reply = http_.Post(
            {.host = service.host, .port = service.port, .path = "_sealwing/seed", .userAgent = "fault matrix"}, seed,
            "text/plain", {}, nullptr);
        ASSERT_EQ(reply.error, 0U);
        ASSERT_EQ(reply.status, 200U) << reply.body;
    }

    platform::Win32TempFolder temp_;
    platform::Win32FileSystem files_{temp_.At(L"roaming"), temp_.At(L"local")};
    platform::win32::WinHttp http_;
    platform::SystemClock clock_;
    platform::ScopedPlatform platform_{platform::Platform{.clock = &clock_, .files = &files_, .http = &http_}};
};

TEST_F(FaultMatrixOnWindowsTest, EveryOperationEndsInItsResultWithinItsLimitsWhateverTheServiceDoes) {
    const int refusing = RefusingPort();
    ASSERT_NE(refusing, 0);
    sealwing::testing::RunFaultMatrix({
        .setFaults = [this](const std::string& seed) { SetFaults(seed); },
        .refusingEndpoint = [refusing] { return ServiceEndpoint{.host = "localhost", .port = refusing}; },
        // No thread count: WinHTTP's asynchronous requests complete on its own pool, whose threads come and go as it
        // decides. The requesting thread returning within its limits is what the matrix can hold it to.
    });
}

}  // namespace
}  // namespace sealwing::service

int main(int argc, char** argv) {
    return sealwing::platform::win32::testing::RunTestsAgainstLocalService(argc, argv, "sealwing_service_tests");
}
