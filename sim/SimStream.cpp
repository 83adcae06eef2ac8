#include "sim/SimStream.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace sealwing::sim {

SimStream::SimStream(std::weak_ptr<SimContext> context, std::shared_ptr<const std::string> bytes,
                     StreamBehaviour behaviour)
    : SimObject(std::move(context)), bytes_(std::move(bytes)), behaviour_(behaviour) {}

outlook::HResult SimStream::Size(std::uint64_t& size) {
    std::shared_ptr<SimContext> context;
    size = 0;
    if (const auto failed = EnterMapi(L"Stream.Stat", context); failed != outlook::hr::S_Ok) return failed;
    size = bytes_->size();
    return outlook::hr::S_Ok;
}

outlook::HResult SimStream::Read(std::uint8_t* buffer, std::uint32_t size, std::uint32_t& read) {
    std::shared_ptr<SimContext> context;
    read = 0;
    if (const auto failed = EnterMapi(L"Stream.Read", context); failed != outlook::hr::S_Ok) return failed;
    const std::uint64_t end = std::min<std::uint64_t>(bytes_->size(), behaviour_.endsAfter);
    std::uint64_t count = std::min<std::uint64_t>(size, end - std::min(end, position_));
    if (behaviour_.readLimit != 0) count = std::min<std::uint64_t>(count, behaviour_.readLimit);
    if (count != 0) std::memcpy(buffer, bytes_->data() + position_, static_cast<std::size_t>(count));
    position_ += count;
    read = static_cast<std::uint32_t>(count);
    return outlook::hr::S_Ok;
}

}  // namespace sealwing::sim
