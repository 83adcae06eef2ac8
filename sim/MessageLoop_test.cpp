#include "sim/MessageLoop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/Clock.h"

namespace sealwing::sim {
namespace {

using namespace std::chrono_literals;

// Long enough never to matter on a loaded machine; the tests never wait for it to run out.
constexpr auto kSafety = 10s;

class MessageLoopTest : public ::testing::Test {
protected:
    platform::ManualClock clock_;
    MessageLoop loop_{clock_};
};

TEST_F(MessageLoopTest, PostedWorkRunsInOrderIncludingWorkPostedWhileRunning) {
    std::vector<int> order;
    loop_.Post([&] {
        order.push_back(1);
        loop_.Post([&] { order.push_back(4); });
    });
    loop_.Post([&] { order.push_back(2); });
    loop_.Post([&] { order.push_back(3); });
    EXPECT_TRUE(order.empty());
    loop_.RunPending();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(loop_.QueuedWork(), 0u);
}

TEST_F(MessageLoopTest, RunSyncFromWorkerRunsOnTheUiThreadAndReturnsTrue) {
    const auto uiThread = std::this_thread::get_id();
    std::thread::id ranOn;
    bool result = false;
    bool workerSawUiThread = true;
    std::thread worker([&] {
        workerSawUiThread = loop_.IsUiThread();
        result = loop_.RunSync([&] { ranOn = std::this_thread::get_id(); });
    });
    ASSERT_TRUE(loop_.WaitForWork(kSafety));
    loop_.RunPending();
    worker.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(ranOn, uiThread);
    EXPECT_FALSE(workerSawUiThread);
    EXPECT_TRUE(loop_.IsUiThread());
}

TEST_F(MessageLoopTest, AnExceptionFromSynchronousWorkReachesTheWorkerAndTheLoopGoesOn) {
    std::string caught;
    std::thread worker([&] {
        try {
            loop_.RunSync([] { throw std::runtime_error("refused"); });
        } catch (const std::runtime_error& error) {
            caught = error.what();
        }
    });
    ASSERT_TRUE(loop_.WaitForWork(kSafety));
    loop_.RunPending();
    worker.join();
    EXPECT_EQ(caught, "refused");
    bool later = false;
    loop_.Post([&] { later = true; });
    loop_.RunPending();
    EXPECT_TRUE(later);
}

TEST_F(MessageLoopTest, StopReleasesAWaitingRunSyncWithFalseWithoutRunningIt) {
    bool ran = false;
    bool result = true;
    std::thread worker([&] { result = loop_.RunSync([&] { ran = true; }); });
    ASSERT_TRUE(loop_.WaitForWork(kSafety));  // the worker is blocked in RunSync now
    loop_.Stop();
    worker.join();
    EXPECT_FALSE(result);
    EXPECT_FALSE(ran);

    // For good: later calls are refused or dropped, from any thread.
    bool late = false;
    loop_.Post([&] { late = true; });
    EXPECT_FALSE(loop_.RunSync([&] { late = true; }));
    std::thread([&] { EXPECT_FALSE(loop_.RunSync([&] { late = true; })); }).join();
    loop_.RunPending();
    EXPECT_FALSE(late);
    EXPECT_EQ(loop_.SetTimer(10, [](platform::TimerId) {}), 0u);
}

// The UI thread that waits for a worker cannot serve that worker's call: the worker gives it up instead, and the
// call, served later, does nothing. Work the UI thread has begun is waited for to its end.
TEST_F(MessageLoopTest, AGivenUpRunSyncReturnsFalseAndItsWorkNeverRunsButBegunWorkIsWaitedFor) {
    platform::Event giveUp(platform::Event::Reset::Manual);
    bool ran = false;
    bool result = true;
    std::thread worker([&] { result = loop_.RunSync([&] { ran = true; }, &giveUp); });
    ASSERT_TRUE(loop_.WaitForWork(kSafety));
    giveUp.Set();
    worker.join();
    EXPECT_FALSE(result);
    loop_.RunPending();
    EXPECT_FALSE(ran);

    // Given up while its work runs: a worker that let go now would leave the work using what it gave it. The work
    // holds on long enough for a worker that does let go to be seen doing so.
    ran = false;
    platform::Event late(platform::Event::Reset::Manual);
    platform::Event workerReturned(platform::Event::Reset::Manual);
    std::thread second([&] {
        result = loop_.RunSync(
            [&] {
                late.Set();
                workerReturned.WaitFor(200ms);
                ran = true;
            },
            &late);
        workerReturned.Set();
    });
    ASSERT_TRUE(loop_.WaitForWork(kSafety));
    loop_.RunPending();
    second.join();
    EXPECT_TRUE(result);
    EXPECT_TRUE(ran);
}

TEST_F(MessageLoopTest, DestroyingTheLoopReleasesAWaitingWorker) {
    auto loop = std::make_unique<MessageLoop>(clock_);
    bool result = true;
    std::thread worker([&] { result = loop->RunSync([] {}); });
    ASSERT_TRUE(loop->WaitForWork(kSafety));
    loop.reset();
    worker.join();
    EXPECT_FALSE(result);
}

TEST_F(MessageLoopTest, RunSyncOnTheUiThreadRunsAtOnce) {
    int ran = 0;
    EXPECT_TRUE(loop_.RunSync([&] { ++ran; }));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(loop_.QueuedWork(), 0u);
}

TEST_F(MessageLoopTest, RunServesWorkersUntilQuit) {
    std::vector<int> seen;
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(loop_.RunSync([&seen, i] { seen.push_back(i); }));
        loop_.Quit();
    });
    loop_.Run();
    worker.join();
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
}

TEST_F(MessageLoopTest, TimersRepeatOnTheClockAndFireOnceHoweverFarItMoved) {
    std::vector<platform::TimerId> fired;
    const platform::TimerId timer = loop_.SetTimer(100, [&](platform::TimerId id) { fired.push_back(id); });
    ASSERT_NE(timer, 0u);
    loop_.RunPending();
    clock_.Advance(99);
    loop_.RunPending();
    EXPECT_TRUE(fired.empty());
    clock_.Advance(1);
    loop_.RunPending();
    EXPECT_EQ(fired, (std::vector<platform::TimerId>{timer}));
    clock_.Advance(1000);
    loop_.RunPending();
    EXPECT_EQ(fired.size(), 2u);  // once, then due an interval later
    clock_.Advance(100);
    loop_.RunPending();
    EXPECT_EQ(fired.size(), 3u);
    EXPECT_EQ(loop_.ActiveTimers(), 1u);
}

TEST_F(MessageLoopTest, ATimerKilledInsideItsOwnCallbackNeverFiresAgain) {
    int calls = 0;
    bool killed = false;
    int otherCalls = 0;
    loop_.SetTimer(50, [&](platform::TimerId id) {
        if (++calls == 2) killed = loop_.KillTimer(id);
    });
    loop_.SetTimer(50, [&](platform::TimerId) { ++otherCalls; });
    for (int i = 0; i < 4; ++i) {
        clock_.Advance(50);
        loop_.RunPending();
    }
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(killed);
    EXPECT_EQ(otherCalls, 4);
    EXPECT_EQ(loop_.ActiveTimers(), 1u);
}

TEST_F(MessageLoopTest, TimerIdsAreNeverReusedAndKillRefusesUnknownIds) {
    const auto first = loop_.SetTimer(10, [](platform::TimerId) {});
    EXPECT_TRUE(loop_.KillTimer(first));
    EXPECT_FALSE(loop_.KillTimer(first));
    const auto second = loop_.SetTimer(10, [](platform::TimerId) {});
    EXPECT_NE(second, first);
    EXPECT_NE(second, 0u);
}

TEST_F(MessageLoopTest, TimersBelongToTheUiThreadAndAShortIntervalCountsAsTenMilliseconds) {
    platform::TimerId fromWorker = 1;
    bool killedFromWorker = true;
    const auto timer = loop_.SetTimer(0, [](platform::TimerId) {});
    std::thread([&] {
        fromWorker = loop_.SetTimer(10, [](platform::TimerId) {});
        killedFromWorker = loop_.KillTimer(timer);
    }).join();
    EXPECT_EQ(fromWorker, 0u);
    EXPECT_FALSE(killedFromWorker);

    int fired = 0;
    loop_.KillTimer(timer);
    loop_.SetTimer(0, [&](platform::TimerId) { ++fired; });
    clock_.Advance(9);
    loop_.RunPending();
    EXPECT_EQ(fired, 0);
    clock_.Advance(1);
    loop_.RunPending();
    EXPECT_EQ(fired, 1);
}

TEST_F(MessageLoopTest, BindToCurrentThreadMovesTheUiThread) {
    std::thread([&] {
        loop_.BindToCurrentThread();
        EXPECT_TRUE(loop_.IsUiThread());
    }).join();
    EXPECT_FALSE(loop_.IsUiThread());
    EXPECT_THROW(loop_.RunPending(), std::logic_error);
    loop_.BindToCurrentThread();
    EXPECT_TRUE(loop_.IsUiThread());
}

}  // namespace
}  // namespace sealwing::sim
