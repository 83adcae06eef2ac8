#include "compose/Shipper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/PasswordCache.h"
#include "tests/OutlookWorld.h"

namespace sealwing::compose {
namespace {

using namespace std::chrono_literals;
using service::ServiceResult;

// Long enough never to matter on a loaded machine; no test waits for it to run out.
constexpr auto kSafety = 30s;

class ShipperTest : public ::testing::Test {
protected:
    ShipperTest() {
        world_.Service().State().AddAccount({.email = "ann@example.com", .password = "pw"});
        settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"pw");
        diagnostics::OpenThreadLog(L"Main");
    }

    service::OutgoingMessage Message(const std::wstring& subject) {
        service::OutgoingMessage message;
        message.item = world_.Outlook().CreateMailItem();
        message.email = L"ann@example.com";
        message.recipients = L"bob@example.com";
        message.subject = subject;
        message.body = L"Hello";
        return message;
    }

    // Serves the next completion the worker hands to Outlook's thread (this one).
    void ServeCompletion() {
        ASSERT_TRUE(world_.Outlook().Loop().WaitForWork(kSafety)) << "no completion came";
        world_.Outlook().Loop().RunPending();
    }

    std::size_t Uploads() { return world_.Service().Requests().Count(); }

    testing::OutlookWorld world_{14};
};

// One message at a time, in order: the next upload waits for the last completion, dialogs and all, and a message
// queued meanwhile joins the batch under way.
TEST_F(ShipperTest, MessagesGoInOrderEachAfterTheLastCompletionAndALateOneJoinsTheBatch) {
    std::vector<std::wstring> completed;
    std::vector<std::size_t> uploadsSeen;
    std::vector<bool> busySeen;
    Shipper* queue = nullptr;
    Shipper shipper([&](SendCompletion& completion) {
        EXPECT_EQ(completion.result, ServiceResult::Success);
        completed.push_back(completion.message.subject);
        uploadsSeen.push_back(Uploads());
        busySeen.push_back(queue->IsBusy());
        if (completed.size() == 1) {
            EXPECT_TRUE(queue->Enqueue(Message(L"third")));
        }
    });
    queue = &shipper;
    EXPECT_FALSE(shipper.IsBusy());

    EXPECT_TRUE(shipper.Enqueue(Message(L"first")));
    EXPECT_TRUE(shipper.IsBusy()) << "a queued message counts before its batch starts";
    EXPECT_TRUE(shipper.Enqueue(Message(L"second")));
    for (int served = 0; served < 3; ++served) ServeCompletion();

    ASSERT_TRUE(shipper.WaitUntilIdle(kSafety));
    EXPECT_FALSE(shipper.IsBusy());
    EXPECT_EQ(completed, (std::vector<std::wstring>{L"first", L"second", L"third"}));
    EXPECT_EQ(uploadsSeen, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(busySeen, (std::vector<bool>{true, true, true}));
    const auto stored = world_.Service().State().Messages();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[2].subject, "third");
    const std::string log = world_.LogFile("Shipper");
    EXPECT_NE(log.find("Starting shipping thread in Shipper.cpp("), std::string::npos) << log;
    EXPECT_NE(log.find("New message available\n"), std::string::npos);
}

// After a rejected password the completion may ask for the same message again, as often as the user answers; a
// cancelled prompt ends it.
TEST_F(ShipperTest, ARejectedPasswordSendsTheSameMessageAgainOnlyWhenTheCompletionAsks) {
    settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"wrong");
    std::vector<std::pair<ServiceResult, int>> seen;
    Shipper shipper([&](SendCompletion& completion) {
        seen.emplace_back(completion.result, completion.attempts);
        if (completion.result != ServiceResult::NotAuthorised) return;
        if (completion.message.subject == L"retried" && completion.attempts == 0) {
            ++completion.attempts;
            settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"pw");
            completion.done = false;
        } else {
            completion.result = ServiceResult::Cancelled;
        }
    });

    ASSERT_TRUE(shipper.Enqueue(Message(L"retried")));
    ServeCompletion();
    ServeCompletion();
    ASSERT_TRUE(shipper.WaitUntilIdle(kSafety));
    EXPECT_EQ(seen, (std::vector<std::pair<ServiceResult, int>>{{ServiceResult::NotAuthorised, 0},
                                                                {ServiceResult::Success, 1}}));
    EXPECT_EQ(Uploads(), 2u);

    settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"wrong");
    ASSERT_TRUE(shipper.Enqueue(Message(L"cancelled")));
    ServeCompletion();
    ASSERT_TRUE(shipper.WaitUntilIdle(kSafety));
    EXPECT_EQ(seen.back(), std::make_pair(ServiceResult::NotAuthorised, 0));
    EXPECT_EQ(Uploads(), 3u) << "a cancelled prompt sends nothing more";
}

// The Outlook item is let go on Outlook's thread only: by the completion that finished the message, or, when the
// completion failed, by the queue's end there. A completion that fails never sends the message again.
TEST_F(ShipperTest, TheDraftIsLetGoOnOutlooksThreadAndAFailedCompletionSendsNothingTwice) {
    auto finished = Message(L"finished");
    auto failing = Message(L"failing");
    const auto finishedDraft = finished.item;
    const auto failingDraft = failing.item;
    std::optional<Shipper> shipper;
    shipper.emplace([&](SendCompletion& completion) {
        if (completion.message.subject == L"failing") throw std::runtime_error("completion failed");
        EXPECT_EQ(finishedDraft.use_count(), 2) << "the queue holds the draft until its completion is done";
    });
    ASSERT_TRUE(shipper->Enqueue(std::move(finished)));
    ServeCompletion();
    EXPECT_EQ(finishedDraft.use_count(), 1) << "let go inside the completion, on this thread";

    ASSERT_TRUE(shipper->Enqueue(std::move(failing)));
    ServeCompletion();
    ASSERT_TRUE(shipper->WaitUntilIdle(kSafety));
    EXPECT_EQ(Uploads(), 2u);
    EXPECT_EQ(failingDraft.use_count(), 2) << "the worker never lets an Outlook item go";
    shipper.reset();
    EXPECT_EQ(failingDraft.use_count(), 1);
    EXPECT_NE(world_.LogFile("Shipper").find("[ERROR] Unhandled exception"), std::string::npos);
}

// Outlook closing while messages are under way: the queue ends without waiting on this thread, whatever the worker
// was doing, and every message not finished stays a draft.
TEST_F(ShipperTest, EndingTheQueueMidBatchNeverWaitsOnOutlooksThreadAndKeepsTheDrafts) {
    enum class Point { UploadHeld, CompletionWaiting };
    for (const Point point : {Point::UploadHeld, Point::CompletionWaiting}) {
        SCOPED_TRACE(point == Point::UploadHeld ? "upload held" : "completion waiting");
        world_.Service().Requests().Clear();
        std::shared_ptr<localservice::Gate> gate;
        if (point == Point::UploadHeld) gate = world_.Service().Faults().Hold(localservice::Endpoint::Send);
        auto first = Message(L"first");
        auto second = Message(L"second");
        const auto drafts = std::vector{first.item, second.item};
        int completions = 0;
        {
            Shipper shipper([&](SendCompletion&) { ++completions; });
            ASSERT_TRUE(shipper.Enqueue(std::move(first)));
            ASSERT_TRUE(shipper.Enqueue(std::move(second)));
            if (point == Point::UploadHeld) {
                ASSERT_TRUE(world_.Service().Requests().WaitForCount(1, kSafety));
            } else {
                ASSERT_TRUE(world_.Outlook().Loop().WaitForWork(kSafety));
            }
            EXPECT_TRUE(shipper.IsBusy()) << "Quit warns of it";
        }
        world_.Outlook().Loop().RunPending();
        if (gate) gate->Release();
        world_.Service().Faults().ClearAll();
        EXPECT_EQ(completions, 0);
        EXPECT_EQ(world_.Service().Requests().Count(), 1u) << "the message behind is not sent";
        for (const auto& draft : drafts) EXPECT_EQ(draft.use_count(), 1);
    }
}

}  // namespace
}  // namespace sealwing::compose
