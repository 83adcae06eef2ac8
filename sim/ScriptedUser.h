#pragma once

#include <cstddef>
#include <deque>
#include <ostream>
#include <vector>

#include "platform/UserInterface.h"

namespace sealwing::sim {

struct ShownMessageBox {
    platform::MessageBoxRequest request{};
    platform::DialogResult answer = platform::DialogResult::None;
    bool scripted = false;  // false: nobody queued an answer and the default button was taken
};

// The user-interface port of the simulated Outlook: a user who answers each message box with the next queued
// answer and records everything shown, so a test asserts the exact words a user would see.
class ScriptedUser : public platform::UserInterface {
public:
    // Queues the answer to the next box.
    void Answer(platform::DialogResult answer);
    // Takes the next queued answer; with none queued, the default button (Ok for Ok and OkCancel boxes, Yes for YesNo
    // and YesNoCancel boxes), recorded as unscripted. A queued answer that is no button of the box is a mistake in
    // the script and throws std::logic_error.
    platform::DialogResult ShowMessageBox(const platform::MessageBoxRequest& request) override;

    const std::vector<ShownMessageBox>& Shown() const { return shown_; }
    std::size_t UnscriptedCount() const;
    std::size_t PendingAnswers() const { return answers_.size(); }
    // Every box shown from now on is also printed there (nullptr: nowhere).
    void EchoTo(std::ostream* out) { echo_ = out; }

private:
    std::deque<platform::DialogResult> answers_;
    std::vector<ShownMessageBox> shown_;
    std::ostream* echo_ = nullptr;
};

}  // namespace sealwing::sim
