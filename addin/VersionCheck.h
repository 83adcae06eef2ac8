#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "platform/WindowSystem.h"
#include "service/ServiceRecords.h"

namespace sealwing {

// Whether the service offers a newer add-in than this one.
bool IsNewerThanThisAddin(const service::VersionInfo& offered);

// Start-up's look at the service for a newer add-in. The request runs on a thread of its own (activity log
// "VersionCheck"), so Outlook's start never waits on the network; its outcome is shown on the UI thread when it
// arrives. Only a missing version file is reported to the user; every other failure is silent and nothing is retried.
class StartupVersionCheck {
public:
    // Asked on the UI thread when there is something to show: the owner of the warning at that moment.
    using OwnerWindow = std::function<platform::WindowHandle()>;

    StartupVersionCheck() = default;
    ~StartupVersionCheck() { Stop(); }
    StartupVersionCheck(const StartupVersionCheck&) = delete;
    StartupVersionCheck& operator=(const StartupVersionCheck&) = delete;

    // UI thread: starts the check and returns at once. A second start before Stop does nothing.
    void Start(OwnerWindow owner);
    // UI thread: cancels a running check's request and waits for its thread, which then ends at once; nothing of it
    // is shown afterwards, even an outcome already on its way. Safe when nothing runs.
    void Stop();
    // Whether the check's thread is still at work (its request, or its outcome on the way).
    bool Running() const;

private:
    struct Shared;

    std::shared_ptr<Shared> shared_;
    std::thread worker_;
};

}  // namespace sealwing
