#include "compose/Shipper.h"

#include <exception>
#include <system_error>
#include <utility>

#include "diagnostics/Log.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/UiThread.h"
#include "service/SendMessage.h"

namespace sealwing::compose {

Shipper::Shipper(Completion completion) : completion_(std::move(completion)) {
    platform::AssertUiThread(__func__);
    try {
        worker_ = std::thread([this] { Run(); });
    } catch (const std::system_error& error) {
        diagnostics::LogWrite(L"[ERROR] Cannot start the shipping thread: " + platform::WideFromUtf8(error.what()) +
                              L"\n");
    }
}

Shipper::~Shipper() {
    platform::AssertUiThread(__func__);
    {
        std::lock_guard guard(lock_);
        stopRequested_ = true;
    }
    stopping_.Set();
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
    // On the UI thread: the Outlook items of messages never finished are let go here.
    queue_.clear();
    setAside_.clear();
}

bool Shipper::Enqueue(service::OutgoingMessage message) {
    platform::AssertUiThread(__func__);
    if (!Started()) {
        diagnostics::LogWrite(L"[ERROR] No shipping thread: the message stays in Drafts\n");
        return false;
    }
    auto item = std::make_unique<service::OutgoingMessage>(std::move(message));
    {
        std::lock_guard guard(lock_);
        queue_.push_back(std::move(item));
        newMessage_ = true;
    }
    wake_.notify_all();
    return true;
}

bool Shipper::IsBusy() {
    std::lock_guard guard(lock_);
    return draining_ || !queue_.empty();
}

bool Shipper::WaitUntilIdle(std::chrono::milliseconds limit) {
    std::unique_lock guard(lock_);
    return wake_.wait_for(guard, limit, [this] { return !draining_ && queue_.empty(); });
}

void Shipper::Run() {
    diagnostics::OpenThreadLog(L"Shipper");
    diagnostics::OpenOperation(L"Starting shipping thread", {"Shipper.cpp", __LINE__});
    for (;;) {
        diagnostics::CloseOperation(false);
        bool message = false;
        {
            std::unique_lock guard(lock_);
            wake_.wait(guard, [this] { return newMessage_ || stopRequested_; });
            // A new message wins over the stop, as the first of the two events would: the stop is then seen at the
            // next wait, with the batch done or given up.
            message = std::exchange(newMessage_, false);
        }
        diagnostics::OpenOperation(L"Event fired in shipping thread", {"Shipper.cpp", __LINE__});
        if (message) {
            diagnostics::LogWrite(L"New message available\n");
            Drain();
            continue;
        }
        break;
    }
    diagnostics::CloseOperation(false);
    diagnostics::CloseThreadLog();
}

void Shipper::Drain() {
    std::unique_lock guard(lock_);
    if (queue_.empty()) return;
    draining_ = true;
    while (!queue_.empty() && !stopping_.IsSet()) {
        service::OutgoingMessage& message = *queue_.front();
        guard.unlock();
        Process(message);
        guard.lock();
        Item item = std::move(queue_.front());
        queue_.pop_front();
        // The completion lets the Outlook item go on the UI thread; one it never reached keeps it till then.
        if (item->item != nullptr) setAside_.push_back(std::move(item));
    }
    draining_ = false;
    guard.unlock();
    wake_.notify_all();
}

void Shipper::Process(service::OutgoingMessage& message) {
    int attempts = 0;
    bool done = false;
    std::wstring errorText;
    while (!done && !stopping_.IsSet()) {
        // Set before every delivery: an attempt whose completion never runs must not send the message again.
        done = true;
        errorText.clear();
        service::ServiceResult result = service::SendMessage(message, errorText, &stopping_);
        SendCompletion completion{result, message, done, errorText, attempts};
        Deliver(completion);
    }
}

void Shipper::Deliver(SendCompletion& completion) {
    try {
        const bool ran = platform::TheUiThread().RunSync(
            [this, &completion] {
                completion_(completion);
                if (completion.done) completion.message.item.reset();  // on the UI thread, and only there
            },
            &stopping_);
        if (!ran) {
            diagnostics::LogWrite(
                L"The send's completion did not run: Outlook is closing. The message stays in "
                L"Drafts\n");
            completion.done = true;
        }
    } catch (...) {
        diagnostics::LogEntryFailure(std::current_exception());
        completion.done = true;
    }
}

}  // namespace sealwing::compose
