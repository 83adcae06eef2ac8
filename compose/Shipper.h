#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "compose/SendCompletion.h"
#include "platform/Threads.h"
#include "service/OutgoingMessage.h"

namespace sealwing::compose {

// The send queue: messages that Send Secure hands over are uploaded one at a time, in order, on a worker thread of
// its own (activity log "Shipper"), so the compose window closes at once and Outlook never waits on an upload. After
// every attempt the worker hands the outcome to the completion on Outlook's UI thread and waits until it has run,
// dialogs included; the completion finishes the message there (the Sent copy, the draft deleted) or reports the
// failure, and after a rejected password may have the same message sent again.
//
// Construction, Enqueue, IsBusy and destruction run on the UI thread. The Outlook item a message holds is touched,
// and released, only there: the worker only carries it.
class Shipper {
public:
    // Runs on the UI thread for every attempt.
    using Completion = std::function<void(SendCompletion&)>;

    // Starts the worker. A thread that cannot be started is logged, and every later Enqueue refuses.
    explicit Shipper(Completion completion);
    // Ends the worker without waiting on the UI thread it runs on: an upload under way is cancelled, a completion not
    // yet begun is given up, and the messages not finished stay in Drafts, as the warning at Quit tells the user.
    ~Shipper();
    Shipper(const Shipper&) = delete;
    Shipper& operator=(const Shipper&) = delete;

    // Queues the message at the tail; the record moves in whole. False, with a log line, when no worker runs: the
    // message then stays a draft and the caller says so.
    bool Enqueue(service::OutgoingMessage message);

    // From the start of a batch until the queue is empty again, and while anything waits in the queue.
    bool IsBusy();

    // Waits until nothing is queued and no batch runs, at most `limit`; true when that came. Not on the UI thread
    // while a message is under way, since its completion needs that thread.
    bool WaitUntilIdle(std::chrono::milliseconds limit);

    bool Started() const { return worker_.joinable(); }

private:
    using Item = std::unique_ptr<service::OutgoingMessage>;

    void Run();
    void Drain();
    void Process(service::OutgoingMessage& message);
    void Deliver(SendCompletion& completion);

    Completion completion_;

    std::mutex lock_;  // guards everything below but the stop event and the thread
    std::condition_variable wake_;
    bool newMessage_ = false;  // set by every enqueue, taken by the worker's wake-up
    bool stopRequested_ = false;
    bool draining_ = false;  // from the start of a batch until the queue is empty again
    std::deque<Item> queue_;
    std::vector<Item> setAside_;

    // Set for good by the destructor: ends an upload under way and gives up a completion the UI thread has not
    // begun, since that thread is then waiting for the worker and cannot serve it.
    platform::Event stopping_{platform::Event::Reset::Manual};

    std::thread worker_;
};

}  // namespace sealwing::compose
