#include "platform/Threads.h"

#include <gtest/gtest.h>

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
    bool released = false;
    std::thread waiter([&] {
        started.Set();
        go.Wait();
        released = true;
    });
    started.Wait();
    go.Set();
    waiter.join();
    EXPECT_TRUE(released);
}

}  // namespace
}  // namespace sealwing::platform
