#include "platform/win32/Win32DialogMailbox.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

namespace sealwing::platform {
namespace {

// A live window of this thread standing in for the dialog: whatever reaches its queue is visible to the test.
class TargetWindow {
public:
    TargetWindow()
        : window_(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr)) {}
    ~TargetWindow() {
        if (window_ != nullptr) ::DestroyWindow(window_);
    }
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;
    HWND Get() const { return window_; }

    // The mailbox's messages waiting in the queue, as (message, value), in order.
    std::vector<std::pair<int, std::intptr_t>> TakePosts() const {
        std::vector<std::pair<int, std::intptr_t>> posts;
        MSG message{};
        while (::PeekMessageW(&message, window_, Win32DialogMailbox::kPostMessage, Win32DialogMailbox::kPostMessage,
                              PM_REMOVE)) {
            posts.emplace_back(static_cast<int>(static_cast<unsigned int>(message.wParam)),
                               static_cast<std::intptr_t>(message.lParam));
        }
        return posts;
    }

private:
    HWND window_;
};

TEST(Win32DialogMailboxTest, PostsFromAnyThreadArriveInOrderWithTheirValuesWhole) {
    TargetWindow target;
    ASSERT_NE(target.Get(), nullptr);
    Win32DialogMailbox mailbox(target.Get());
    const std::intptr_t widest = INTPTR_MIN + 3;

    mailbox.Post(1, 10);
    std::thread([&mailbox, widest] {
        mailbox.Post(-2, widest);
        mailbox.Post(3, -1);
    }).join();

    const std::vector<std::pair<int, std::intptr_t>> expected = {{1, 10}, {-2, widest}, {3, -1}};
    EXPECT_EQ(target.TakePosts(), expected);
    EXPECT_TRUE(mailbox.IsOpen());
}

TEST(Win32DialogMailboxTest, OnceClosedNothingReachesTheWindowEvenWhileItLives) {
    TargetWindow target;
    ASSERT_NE(target.Get(), nullptr);
    Win32DialogMailbox mailbox(target.Get());

    mailbox.Close();
    mailbox.Post(1, 1);
    std::thread([&mailbox] { mailbox.Post(2, 2); }).join();

    EXPECT_FALSE(mailbox.IsOpen());
    EXPECT_TRUE(target.TakePosts().empty());
}

}  // namespace
}  // namespace sealwing::platform
