#pragma once

#include <mutex>
#include <thread>
#include <vector>

namespace sealwing::localservice {

// A TCP port on 127.0.0.1 that accepts every connection and never says a word: no TLS handshake, no reply. It stands
// for a service host that hangs, so tests can show that no request waits on it past its limits.
class SilentListener {
public:
    SilentListener() = default;
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    // Binds a port the system chooses and starts accepting; the port, 0 when it could not listen.
    int Start();
    // Closes every accepted connection and the port; the destructor calls it.
    void Stop();

    int Port() const { return port_; }
    // How many connections it accepted so far.
    int Accepted() const;

private:
    void AcceptLoop();

    int listener_ = -1;
    int port_ = 0;
    std::thread acceptor_;
    mutable std::mutex lock_;
    std::vector<int> connections_;
    int accepted_ = 0;
};

}  // namespace sealwing::localservice
