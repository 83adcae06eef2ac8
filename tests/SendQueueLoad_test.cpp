#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "compose/RouterWindow.h"
#include "compose/Shipper.h"
#include "platform/Text.h"
#include "service/ServiceOperations.h"
#include "settings/PasswordCache.h"
#include "sim/SimFolder.h"
#include "sim/SimMailItem.h"
#include "tests/OutlookWorld.h"
#include "tests/ThreadCount.h"

namespace sealwing {
namespace {

using namespace std::chrono_literals;

// Long enough never to matter on a loaded machine; no test waits for it to run out.
constexpr auto kSafety = 60s;

// The send queue under load, against the local service over TLS: the worker uploads while Outlook's thread keeps
// queueing, and the queue is torn down at any point of a batch.
class SendQueueLoadTest : public ::testing::Test {
protected:
    SendQueueLoadTest() {
        world_.Service().State().AddAccount(
            {.email = "ann@example.com", .password = "pw", .maxMessagesPerDay = 100000});
        settings::PasswordCache::Instance().SetPassword(L"ann@example.com", L"pw");
        diagnostics::OpenThreadLog(L"Main");
    }

    // A saved draft and its record, as Send Secure queues it.
    service::OutgoingMessage Message(const std::wstring& subject) {
        auto draft = world_.Outlook().CreateMailItem();
        draft->SetSubject(subject);
        draft->Save();
        service::OutgoingMessage message;
        message.item = draft;
        message.email = L"ann@example.com";
        message.recipients = L"bob@example.com";
        message.subject = subject;
        message.body = L"Hello";
        return message;
    }
    static std::wstring Subject(int number) { return L"m" + std::to_wstring(number); }

    // Runs the next completion the worker hands to Outlook's thread (this one), if one comes.
    bool ServeCompletion(std::chrono::milliseconds limit = kSafety) {
        if (!world_.Outlook().Loop().WaitForWork(limit)) return false;
        world_.Outlook().Loop().RunPending();
        return true;
    }
    std::set<std::string> DraftSubjects() {
        std::set<std::string> subjects;
        for (const auto& item : world_.Outlook().Folder(outlook::olFolderDrafts)->Items()) {
            subjects.insert(platform::Utf8FromWide(item->Props().Text(outlook::mapi::PR_SUBJECT_W)));
        }
        return subjects;
    }

    testing::OutlookWorld world_{14};
};

TEST_F(SendQueueLoadTest, AThousandMessagesQueuedWhileTheWorkerSendsArriveOnceEachInOrder) {
    constexpr int kMessages = 1000;
    std::vector<std::wstring> completed;
    std::vector<bool> busyAtCompletion;
    compose::Shipper* queue = nullptr;
    compose::Shipper shipper([&](compose::SendCompletion& completion) {
        EXPECT_EQ(completion.result, service::ServiceResult::Success)
            << platform::Utf8FromWide(completion.message.subject);
        completed.push_back(completion.message.subject);
        busyAtCompletion.push_back(queue->IsBusy());
    });
    queue = &shipper;

    // Queued in bursts of ten, each while the worker is busy with the ones before.
    int queued = 0;
    while (queued < kMessages) {
        for (int burst = 0; burst < 10; ++burst) ASSERT_TRUE(shipper.Enqueue(Message(Subject(queued++))));
        EXPECT_TRUE(shipper.IsBusy());
        ASSERT_TRUE(ServeCompletion());
    }
    while (completed.size() < static_cast<std::size_t>(kMessages)) ASSERT_TRUE(ServeCompletion());

    ASSERT_TRUE(shipper.WaitUntilIdle(kSafety));
    EXPECT_FALSE(shipper.IsBusy());
    ASSERT_EQ(completed.size(), static_cast<std::size_t>(kMessages));
    for (int number = 0; number < kMessages; ++number) EXPECT_EQ(completed[number], Subject(number));
    EXPECT_EQ(std::count(busyAtCompletion.begin(), busyAtCompletion.end(), false), 0);
    const auto stored = world_.Service().State().Messages();
    ASSERT_EQ(stored.size(), static_cast<std::size_t>(kMessages)) << "each uploaded exactly once";
    for (int number = 0; number < kMessages; ++number) {
        EXPECT_EQ(stored[number].subject, platform::Utf8FromWide(Subject(number)));
    }
}

TEST_F(SendQueueLoadTest, TornDownAtAnyPointOfABatchTheQueueEndsWithoutLosingADraft) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    compose::RouterWindow router(world_.Outlook().Application(), [](platform::WindowHandle, const std::wstring&) {
        ADD_FAILURE() << "no send fails here";
    });
    int next = 0;
    service::VersionInfo version;
    (void)service::CheckVersion(version);  // the service starts its threads with the first request it takes
    const std::size_t threads = testing::ThreadsOfThisProcess();
    for (int round = 0; round < 100; ++round) {
        std::vector<std::wstring> subjects;
        {
            compose::Shipper shipper([&](compose::SendCompletion& completion) { router.Complete(completion); });
            const int messages = std::uniform_int_distribution<int>(1, 4)(random);
            for (int at = 0; at < messages; ++at) {
                subjects.push_back(Subject(next++));
                ASSERT_TRUE(shipper.Enqueue(Message(subjects.back())));
            }
            const int served = std::uniform_int_distribution<int>(0, messages)(random);
            for (int at = 0; at < served; ++at) ASSERT_TRUE(ServeCompletion());
        }                                      // the destructor must end the worker, whatever it was doing
        world_.Outlook().Loop().RunPending();  // work the worker posted before it ended finds no queue
        EXPECT_EQ(testing::ThreadsOfThisProcess(), threads) << "a thread outlived the queue in round " << round;

        // Every message either reached the service or is still a draft; none is lost.
        std::set<std::string> uploaded;
        for (const auto& message : world_.Service().State().Messages()) uploaded.insert(message.subject);
        const std::set<std::string> drafts = DraftSubjects();
        for (const auto& subject : subjects) {
            const std::string narrow = platform::Utf8FromWide(subject);
            EXPECT_TRUE(uploaded.contains(narrow) || drafts.contains(narrow)) << narrow << " in round " << round;
        }
    }
}

}  // namespace
}  // namespace sealwing
