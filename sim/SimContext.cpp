#include "sim/SimContext.h"

#include <utility>

#include "sim/MessageLoop.h"

namespace sealwing::sim {

SimContext::SimContext(SimOptions options, MessageLoop& loop, WindowTree& windows)
    : options_(std::move(options)), loop_(loop), windows_(windows), gate_(loop, options_.majorVersion) {}

platform::Clock& SimContext::Clock() { return loop_.Clock(); }

}  // namespace sealwing::sim
