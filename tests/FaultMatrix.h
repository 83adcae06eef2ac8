#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "service/TransportEndpoint.h"

// Every operation that talks to the service, against every way the service can fail it, on whichever HTTP engine the
// platform holds: libcurl in the Linux build's tests, WinHTTP in the Windows build's under Wine.
namespace sealwing::testing {

struct FaultMatrixService {
    // Replaces the service's faults with these seed records (localservice/SeedFile.h); empty text clears them.
    std::function<void(const std::string& seed)> setFaults;
    // Somewhere that refuses connections.
    std::function<service::ServiceEndpoint()> refusingEndpoint;
    // The threads this process runs, where the engine starts none of its own that outlive a request: each failed
    // operation must leave as many as there were before it, none still waiting for the service.
    std::function<std::size_t()> threadCount{};
};

// Runs the matrix with GoogleTest expectations: each operation ends in the result (and, where it gives one, the text)
// that it makes of the failure, within the request's limits, which it sets short. The service must hold Ann
// (ann@example.com, kAnnPassword cached), message "m1" with attachment "a1", and a version; the endpoint in use must
// lead to it.
void RunFaultMatrix(const FaultMatrixService& service);

}  // namespace sealwing::testing
