#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "outlook/Mapi.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

// How a simulated stream hands out its bytes, so that a test can play a stream that is slow to fill or breaks off.
struct StreamBehaviour {
    // At most this many bytes per Read (0: as many as asked), as a stream over a slow store may return fewer.
    std::uint32_t readLimit = 0;
    // The stream ends after this many bytes although Stat reports the whole size (nothing: it holds them all).
    std::uint64_t endsAfter = UINT64_MAX;
};

// IStream over bytes the simulation holds; the bytes are shared, not copied. Each call passes the member gate as
// "Stream.Stat" or "Stream.Read".
class SimStream final : public outlook::mapi::Stream, protected SimObject {
public:
    SimStream(std::weak_ptr<SimContext> context, std::shared_ptr<const std::string> bytes, StreamBehaviour behaviour);

    outlook::HResult Size(std::uint64_t& size) override;
    outlook::HResult Read(std::uint8_t* buffer, std::uint32_t size, std::uint32_t& read) override;

private:
    std::shared_ptr<const std::string> bytes_;
    StreamBehaviour behaviour_;
    std::uint64_t position_ = 0;
};

}  // namespace sealwing::sim
