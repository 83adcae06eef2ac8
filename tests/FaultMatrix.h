#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "service/RequestLimits.h"
#include "service/TransportEndpoint.h"

// Every operation that talks to the service, against every way the service can fail it, on whichever HTTP engine the
// platform holds: libcurl in the Linux build's tests, WinHTTP in the Windows build's under Wine.
namespace sealwing::testing {

// Each way the service can fail a request, as the local service plays it.
enum class Failure {
    Refused,
    ClosedBeforeRequestBody,
    ClosedDuringRequestBody,
    ClosedBeforeReply,
    ClosedDuringReply,
    Status401,
    Status404,
    Status500,
    Explained400,
    MalformedXml,
    Stall,
    Trickle,
};

struct FailureCase {
    Failure failure;
    const char* name;
    const char* fault;  // the seed record's fields after "fault endpoint=<endpoint>"; none for a refused connection
};

inline constexpr FailureCase kServiceFailures[] = {
    {Failure::Refused, "refused connection", ""},
    {Failure::ClosedBeforeRequestBody, "connection closed before the request's body was read", "drop=request"},
    {Failure::ClosedDuringRequestBody, "connection closed with half the request's body read", "drop=request_body"},
    {Failure::ClosedBeforeReply, "connection closed after the request, before any reply byte", "drop=before"},
    {Failure::ClosedDuringReply, "connection closed in the middle of the reply", "drop=body"},
    {Failure::Status401, "401", "status=401"},
    {Failure::Status404, "404", "status=404"},
    {Failure::Status500, "500", "status=500"},
    {Failure::Explained400, "400 with explanations", "explain=\"Recipient unknown|Try again\""},
    {Failure::MalformedXml, "malformed XML with 200", "status=200 body=\"<account><pro>1</pro><session_id>s1\""},
    {Failure::Stall, "a reply held past the limits", "delay_ms=3000"},
    {Failure::Trickle, "a reply trickling a byte at a time", "chunk=1 chunk_pause_ms=150"},
};

// The limits the matrix sets: short, so that the stall and the trickle above run past them.
inline constexpr service::RequestLimits kShortLimits{
    .request = {.total = std::chrono::milliseconds(400)},
    .transfer = {.progressWindow = std::chrono::milliseconds(400), .progressBytes = 64}};

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
