#include "sim/AddinCallback.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "outlook/ComError.h"
#include "platform/Clock.h"
#include "platform/EntryFailureRecorder.h"
#include "sim/EventSource.h"
#include "sim/MessageLoop.h"
#include "sim/WindowTree.h"

namespace sealwing::sim {
namespace {

struct ThrowingSink : outlook::ExplorerEvents {
    int activations = 0;
    void Activate() override {
        ++activations;
        throw std::logic_error("sink broke");
    }
};

struct CountingSink : outlook::ExplorerEvents {
    int activations = 0;
    void Activate() override { ++activations; }
};

class AddinCallbackTest : public ::testing::Test {
protected:
    // What the entry reporter saw, as the add-in's log would: the Windows adapters report there too.
    const platform::ScopedEntryFailureRecorder reported_;

    platform::ManualClock clock_;
    MessageLoop loop_{clock_};
};

TEST_F(AddinCallbackTest, PostedWorkThatThrowsFailsTheTestAndTheLoopGoesOn) {
    bool later = false;
    loop_.Post([] { throw std::runtime_error("posted work broke"); });
    loop_.Post([&] { later = true; });
    EXPECT_NONFATAL_FAILURE(loop_.RunPending(), "add-in's posted work into the simulated Outlook: posted work broke");
    EXPECT_TRUE(later);
    EXPECT_EQ(reported_.Count(), 1u);
}

TEST_F(AddinCallbackTest, ATimerThatThrowsFailsTheTestEachTimeAndStaysSet) {
    int fired = 0;
    loop_.SetTimer(10, [&](platform::TimerId) {
        ++fired;
        throw outlook::ComError(outlook::hr::E_Fail, L"timer broke");
    });
    for (int round = 1; round <= 2; ++round) {
        clock_.Advance(10);
        EXPECT_NONFATAL_FAILURE(loop_.RunPending(),
                                "timer into the simulated Outlook: COM error 0x80004005 \"timer broke\"");
        EXPECT_EQ(fired, round);
    }
    EXPECT_EQ(loop_.ActiveTimers(), 1u);
    EXPECT_EQ(reported_.Count(), 2u);
}

TEST_F(AddinCallbackTest, AnEventSinkThatThrowsFailsTheTestAndTheFiringGoesOn) {
    WindowTree windows;
    const auto context = std::make_shared<SimContext>(SimOptions{}, loop_, windows);
    EventSource<outlook::ExplorerEvents> source(context, L"ExplorerEvents");
    ThrowingSink first;
    CountingSink second;
    source.Advise(first);
    source.Advise(second);
    EXPECT_NONFATAL_FAILURE(source.Fire(L"Activate", [](outlook::ExplorerEvents& sink) { sink.Activate(); }),
                            "add-in's ExplorerEvents.Activate into the simulated Outlook: sink broke");
    EXPECT_EQ(first.activations, 1);
    EXPECT_EQ(second.activations, 1);
    EXPECT_EQ(reported_.Count(), 1u);
}

}  // namespace
}  // namespace sealwing::sim
