#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "localservice/Faults.h"
#include "localservice/RequestLog.h"
#include "localservice/ServiceEndpoints.h"
#include "localservice/ServiceState.h"

namespace sealwing::localservice {

// The local stand-in of the service: an HTTPS server on 127.0.0.1 that answers every endpoint from its state,
// records each request and misbehaves where a test asks it to. Tests use it in-process; the program
// sealwing-localservice wraps it for the scripts.
//
//     LocalService service;
//     service.State().AddAccount({.email = "ann@example.com", .password = "pw"});
//     ASSERT_EQ(service.Start(certFolder), "");
//     // the client trusts service.CaFile() and talks to https://localhost:<service.Port()>/
class LocalService {
public:
    LocalService();
    ~LocalService();
    LocalService(const LocalService&) = delete;
    LocalService& operator=(const LocalService&) = delete;

    // Creates a fresh test CA and server certificate in certFolder, binds 127.0.0.1:port (0: the OS picks one) and
    // starts answering. Returns the error, empty on success.
    std::string Start(const std::filesystem::path& certFolder, int port = 0);
    // Releases every held request, then stops; the destructor calls it.
    void Stop();

    // Before Start: a POST of seed text (localservice/SeedFile.h) to kSeedControlPath then clears every fault and
    // loads the text's records, so that a test in another process (a Windows program under Wine) can change the
    // service's faults and data between its requests. Such requests are not recorded. Off unless asked for.
    static constexpr const char* kSeedControlPath = "/_sealwing/seed";
    void AcceptSeedOverHttp() { seedControl_ = true; }

    int Port() const { return port_; }
    const std::filesystem::path& CaFile() const { return caFile_; }

    ServiceState& State() { return state_; }
    FaultTable& Faults() { return faults_; }
    RequestLog& Requests() { return requests_; }

private:
    struct Server;

    ServiceState state_;
    FaultTable faults_;
    RequestLog requests_;
    ServiceEndpoints endpoints_{state_};
    std::unique_ptr<Server> server_;
    std::thread listener_;
    int port_ = 0;
    std::filesystem::path caFile_;
    bool seedControl_ = false;
};

}  // namespace sealwing::localservice
