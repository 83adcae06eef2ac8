#include "platform/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace sealwing::platform {
namespace {

TEST(EventTest, ManualResetStaysSignalledUntilReset) {
    Event event(Event::Reset::Manual);
    EXPECT_FALSE(event.WaitFor(std::chrono::milliseconds(0)));
    event.Set();
    EXPECT_TRUE(event.WaitFor(std::chrono::milliseconds(0)));
    EXPECT_TRUE(event.IsSet());  // waiting did not consume it
    event.ResetEvent();
    EXPECT_FALSE(event.IsSet());
}

TEST(EventTest, AutoResetReleasesOneWaitAndClears) {
    Event event(Event::Reset::Automatic, true);
    EXPECT_TRUE(event.WaitFor(std::chrono::milliseconds(0)));
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.WaitFor(std::chrono::milliseconds(0)));
}

TEST(EventTest, ASetOnAnotherThreadReleasesTheWaiter) {
    Event started(Event::Reset::Manual);
    Event go(Event::Reset::Automatic);
    std::atomic<bool> setBeforeRelease{false};
    bool sawTheSet = false;
    std::thread waiter([&] {
        started.Set();
        go.Wait();
        sawTheSet = setBeforeRelease.load();  // a wait that returned early would not see it
    });
    started.Wait();
    setBeforeRelease = true;
    go.Set();
    waiter.join();
    EXPECT_TRUE(sawTheSet);
    EXPECT_FALSE(go.IsSet());  // the automatic event was consumed by the one waiter
}

}  // namespace
}  // namespace sealwing::platform
