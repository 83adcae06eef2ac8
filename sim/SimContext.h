#pragma once

#include "platform/Clock.h"
#include "sim/ConnectionJournal.h"
#include "sim/MemberGate.h"
#include "sim/SimModel.h"
#include "sim/SimOptions.h"

namespace sealwing::sim {

class MessageLoop;
class WindowTree;

// What every object of one simulated Outlook shares: the ports it runs on, the member gate, the connection journal
// and the object model's roots. SimOutlook holds the only strong reference; objects hold it weakly, so a Ref that
// outlives Outlook fails its calls as disconnected instead of dangling.
class SimContext {
public:
    // The options are complete: the build is filled in.
    SimContext(SimOptions options, MessageLoop& loop, WindowTree& windows);
    SimContext(const SimContext&) = delete;
    SimContext& operator=(const SimContext&) = delete;

    const SimOptions& Options() const { return options_; }
    int MajorVersion() const { return options_.majorVersion; }
    MessageLoop& Loop() { return loop_; }
    // The simulated desktop's time (the loop's clock).
    platform::Clock& Clock();
    WindowTree& Windows() { return windows_; }
    MemberGate& Gate() { return gate_; }
    ConnectionJournal& Journal() { return journal_; }
    SimModel& Model() { return model_; }

private:
    const SimOptions options_;
    MessageLoop& loop_;
    WindowTree& windows_;
    MemberGate gate_;
    ConnectionJournal journal_;
    // Last: the objects go first, while the journal they may still touch exists.
    SimModel model_;
};

}  // namespace sealwing::sim
