#include "sim/SimContext.h"

#include <utility>

namespace sealwing::sim {

SimContext::SimContext(SimOptions options, MessageLoop& loop, WindowTree& windows)
    : options_(std::move(options)), loop_(loop), windows_(windows), gate_(loop, options_.majorVersion) {}

}  // namespace sealwing::sim
