#pragma once

#include <cstdint>
#include <string>

#include "sim/SimSetups.h"

namespace sealwing::sim {

// A plausible internet header block for a delivered message (PR_TRANSPORT_MESSAGE_HEADERS_W): CR LF line ends.
class TransportHeaders {
public:
    static std::wstring Make(const ReceivedMailSetup& mail, const std::wstring& defaultTo, std::int64_t utcSeconds,
                             std::uint32_t serial);
};

}  // namespace sealwing::sim
