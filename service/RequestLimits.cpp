#include "service/RequestLimits.h"

#include <mutex>

namespace sealwing::service {
namespace {

std::mutex g_lock;
RequestLimits g_limits;

}  // namespace

RequestLimits CurrentRequestLimits() {
    std::lock_guard guard(g_lock);
    return g_limits;
}

ScopedRequestLimits::ScopedRequestLimits(RequestLimits limits) {
    std::lock_guard guard(g_lock);
    previous_ = g_limits;
    g_limits = limits;
}

ScopedRequestLimits::~ScopedRequestLimits() {
    std::lock_guard guard(g_lock);
    g_limits = previous_;
}

}  // namespace sealwing::service
