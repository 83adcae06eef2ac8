#include "localservice/SilentListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sealwing::localservice {

SilentListener::~SilentListener() { Stop(); }

int SilentListener::Start() {
    if (listener_ >= 0) return port_;
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener_, 16) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(listener_);
        listener_ = -1;
        return 0;
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
    return port_;
}

void SilentListener::AcceptLoop() {
    for (;;) {
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) return;  // Stop shut the port down
        std::lock_guard guard(lock_);
        connections_.push_back(connection);
        ++accepted_;
    }
}

void SilentListener::Stop() {
    if (listener_ < 0) return;
    ::shutdown(listener_, SHUT_RDWR);  // wakes the blocked accept
    if (acceptor_.joinable()) acceptor_.join();
    ::close(listener_);
    listener_ = -1;
    std::lock_guard guard(lock_);
    for (const int connection : connections_) ::close(connection);
    connections_.clear();
}

int SilentListener::Accepted() const {
    std::lock_guard guard(lock_);
    return accepted_;
}

}  // namespace sealwing::localservice
