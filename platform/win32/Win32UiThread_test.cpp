#include "platform/win32/Win32UiThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/EntryFailureRecorder.h"
#include "platform/win32/Win32Handle.h"

namespace sealwing::platform {
namespace {

// A manual-reset event the test thread can wait for while it serves its messages.
class Signal {
public:
    Signal() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    void Set() { ::SetEvent(event_.Get()); }
    bool IsSet() const { return ::WaitForSingleObject(event_.Get(), 0) == WAIT_OBJECT_0; }
    HANDLE Get() const { return event_.Get(); }

private:
    win32::UniqueHandle event_;
};

void DispatchWaiting() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// The test thread's message loop: serves messages until the signal is set. A wait with nothing arriving for a long
// time ends it with false, so a broken adapter fails the test instead of hanging it; the bound is not a timing.
bool PumpUntil(const Signal& done) {
    HANDLE handle = done.Get();
    for (int round = 0; round < 100000; ++round) {
        const DWORD woke = ::MsgWaitForMultipleObjects(1, &handle, FALSE, 30000, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke != WAIT_OBJECT_0 + 1) return false;
        DispatchWaiting();
    }
    return false;
}

// Joins a worker that sets `finished` last. A worker still blocked long after it should have ended (the adapter left
// it waiting) fails the test and is abandoned, so the run ends instead of hanging.
bool JoinWorker(std::thread& worker, const Signal& finished) {
    if (::WaitForSingleObject(finished.Get(), 30000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the worker is still blocked";
        worker.detach();
        return false;
    }
    worker.join();
    return true;
}

TEST(Win32UiThreadTest, AWorkersRunSyncIsServedByTheUiThreadsMessageLoop) {
    Win32UiThread ui;
    ASSERT_TRUE(ui.Created());
    EXPECT_TRUE(ui.IsUiThread());

    Signal done;
    std::atomic<bool> workerIsUi{true};
    std::atomic<bool> ranOnUi{false};
    std::atomic<bool> result{false};
    std::atomic<bool> failureCameBack{false};
    std::thread worker([&] {
        workerIsUi = ui.IsUiThread();
        result = ui.RunSync([&] { ranOnUi = ui.IsUiThread(); });
        try {
            ui.RunSync([] { throw std::runtime_error("from the UI thread"); });
        } catch (const std::runtime_error&) {
            failureCameBack = true;
        }
        done.Set();
    });
    ASSERT_TRUE(PumpUntil(done));
    ASSERT_TRUE(JoinWorker(worker, done));
    EXPECT_FALSE(workerIsUi);
    EXPECT_TRUE(result);
    EXPECT_TRUE(ranOnUi);
    EXPECT_TRUE(failureCameBack);

    bool ranAtOnce = false;
    EXPECT_TRUE(ui.RunSync([&] { ranAtOnce = true; }));  // on the UI thread: no message, no wait
    EXPECT_TRUE(ranAtOnce);
}

TEST(Win32UiThreadTest, ShutdownReleasesAWaitingRunSyncWithFalse) {
    Win32UiThread ui;
    ASSERT_TRUE(ui.Created());
    std::atomic<bool> ran{false};
    std::atomic<bool> result{true};
    Signal finished;
    std::thread worker([&] {
        result = ui.RunSync([&] { ran = true; });
        finished.Set();
    });

    // The worker's notification reaching this thread's queue proves it waits; nothing here dispatches it.
    const DWORD woke = ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 30000, QS_SENDMESSAGE);
    EXPECT_EQ(woke, WAIT_OBJECT_0);
    ui.Shutdown();
    ASSERT_TRUE(JoinWorker(worker, finished));
    EXPECT_FALSE(result);
    EXPECT_FALSE(ran);

    DispatchWaiting();  // the stale notification finds no window
    EXPECT_FALSE(ran);
    EXPECT_FALSE(ui.RunSync([&] { ran = true; }));
    std::thread late([&] { result = ui.RunSync([&] { ran = true; }); });
    late.join();
    EXPECT_FALSE(result);
    EXPECT_FALSE(ran);
}

// A UI thread that waits for the worker itself (the send queue ending its thread) cannot serve the worker's call:
// the worker gives it up, and the notification served later runs nothing.
TEST(Win32UiThreadTest, AGivenUpRunSyncReturnsFalseAndItsWorkNeverRuns) {
    Win32UiThread ui;
    ASSERT_TRUE(ui.Created());
    Event giveUp(Event::Reset::Manual);
    std::atomic<bool> ran{false};
    std::atomic<bool> result{true};
    Signal finished;
    std::thread worker([&] {
        result = ui.RunSync([&] { ran = true; }, &giveUp);
        finished.Set();
    });
    EXPECT_EQ(::MsgWaitForMultipleObjects(0, nullptr, FALSE, 30000, QS_SENDMESSAGE), WAIT_OBJECT_0);
    giveUp.Set();
    ASSERT_TRUE(JoinWorker(worker, finished));
    EXPECT_FALSE(result);
    DispatchWaiting();
    EXPECT_FALSE(ran);
}

TEST(Win32UiThreadTest, PostsRunInOrderInTheLoopAndAreDroppedAfterShutdown) {
    Win32UiThread ui;
    ASSERT_TRUE(ui.Created());
    std::vector<int> order;
    Signal done;
    ui.Post([&] { order.push_back(1); });
    std::thread worker([&] {
        ui.Post([&] {
            order.push_back(2);
            done.Set();
        });
    });
    worker.join();
    EXPECT_TRUE(order.empty());  // nothing runs before the loop serves it
    ASSERT_TRUE(PumpUntil(done));
    EXPECT_EQ(order, (std::vector<int>{1, 2}));

    ui.Post([&] { order.push_back(3); });
    ui.Shutdown();
    ui.Post([&] { order.push_back(4); });
    DispatchWaiting();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(Win32UiThreadTest, AThreadTimerFiresInTheLoopUntilKilled) {
    Win32UiThread ui;
    ASSERT_TRUE(ui.Created());
    Signal done;
    int fired = 0;
    TimerId seen = 0;
    const TimerId timer = ui.SetTimer(10, [&](TimerId id) {
        seen = id;
        if (++fired == 3) {
            EXPECT_TRUE(ui.KillTimer(id));  // from inside its own callback
            done.Set();
        }
    });
    ASSERT_NE(timer, 0u);
    ASSERT_TRUE(PumpUntil(done));
    EXPECT_EQ(fired, 3);
    EXPECT_EQ(seen, timer);
    EXPECT_FALSE(ui.KillTimer(timer));

    // A second timer proves the first stays dead: by the time the second fired twice, the first would have fired.
    Signal again;
    int second = 0;
    const TimerId other = ui.SetTimer(10, [&](TimerId) {
        if (++second == 2) again.Set();
    });
    ASSERT_NE(other, 0u);
    ASSERT_TRUE(PumpUntil(again));
    EXPECT_EQ(fired, 3);

    TimerId fromWorker = 1;
    std::thread worker([&] { fromWorker = ui.SetTimer(10, [](TimerId) {}); });
    worker.join();
    EXPECT_EQ(fromWorker, 0u);

    ui.Shutdown();  // kills the remaining timer
    EXPECT_EQ(ui.SetTimer(10, [](TimerId) {}), 0u);
    EXPECT_FALSE(ui.KillTimer(other));
}

// Thrown through the window manager's frames, either would end the process.
TEST(Win32UiThreadTest, PostsAndTimerCallbacksThatThrowAreReportedAndTheLoopGoesOn) {
    const ScopedEntryFailureRecorder reported;
    Win32UiThread ui;
    ASSERT_TRUE(ui.Created());

    Signal posted;
    ui.Post([] { throw std::runtime_error("the post broke"); });
    ui.Post([&] { posted.Set(); });  // served in the same round, behind the one that threw
    ASSERT_TRUE(PumpUntil(posted));
    EXPECT_EQ(reported.Texts(), std::vector<std::string>{"the post broke"});

    Signal firedTwice;
    int fired = 0;
    const TimerId timer = ui.SetTimer(10, [&](TimerId id) {
        if (++fired == 2) {
            ui.KillTimer(id);
            firedTwice.Set();
        }
        throw std::runtime_error("the timer broke");
    });
    ASSERT_NE(timer, 0u);
    ASSERT_TRUE(PumpUntil(firedTwice));  // the timer outlived its first failure
    EXPECT_EQ(reported.Texts(), (std::vector<std::string>{"the post broke", "the timer broke", "the timer broke"}));
}

TEST(Win32UiThreadTest, TheRouterWindowIsMessageOnlyAndHoldsItsOwner) {
    Win32UiThread ui;
    ASSERT_TRUE(ui.Created());
    HWND window = ui.Window();
    EXPECT_EQ(::GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&ui));
    EXPECT_EQ(::FindWindowExW(HWND_MESSAGE, nullptr, L"Shipper router wnd", nullptr), window);
    ui.Shutdown();
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(ui.Created());
}

}  // namespace
}  // namespace sealwing::platform
