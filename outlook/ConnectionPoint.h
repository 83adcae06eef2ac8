#pragma once

#include <cstdint>

namespace sealwing::outlook {

// A connection's cookie; kNotConnected marks a sink that holds no connection.
using Cookie = std::uint32_t;
inline constexpr Cookie kNotConnected = 0xFEFEFEFE;

// The source side of an event interface (IConnectionPoint): Outlook calls every advised sink.
template <class Events>
class ConnectionPoint {
public:
    virtual ~ConnectionPoint() = default;
    // Throws ComError when the connection cannot be made.
    virtual Cookie Advise(Events& sink) = 0;
    // Throws ComError (CONNECT_E_NOCONNECTION) for an unknown cookie.
    virtual void Unadvise(Cookie cookie) = 0;
};

}  // namespace sealwing::outlook
