#include "addin/VersionCheck.h"

#include <atomic>

#include "addin/AddinVersion.h"
#include "diagnostics/Log.h"
#include "dialogs/NewVersionDialog.h"
#include "platform/EntryGuard.h"
#include "platform/Platform.h"
#include "platform/Threads.h"
#include "platform/UiThread.h"
#include "platform/UserInterface.h"
#include "service/ServiceOperations.h"

namespace sealwing {
namespace {

// UI thread.
void ShowOutcome(service::ServiceResult result, const service::VersionInfo& offered,
                 const StartupVersionCheck::OwnerWindow& owner) {
    platform::AssertUiThread(__func__);
    const bool missing = result == service::ServiceResult::NotFound;
    const bool newer = result == service::ServiceResult::Success && IsNewerThanThisAddin(offered);
    if (!missing && !newer) return;
    diagnostics::LogScope scope(L"Version check finished");
    if (missing) {
        platform::TheUserInterface().ShowMessageBox(
            {.owner = owner(),
             .text = L"Parcelon for Microsoft Outlook was not able to check if a new version is available",
             .caption = L"Security warning",
             .icon = platform::MessageBoxIcon::Warning});
        return;
    }
    // The check's own log has already recorded the version offered.
    dialogs::CNewVersionDlg(offered).Show(owner());
}

}  // namespace

bool IsNewerThanThisAddin(const service::VersionInfo& offered) {
    const AddinVersion& own = TheAddinVersion();
    return offered.major > own.major || (offered.major == own.major && offered.minor > own.minor);
}

struct StartupVersionCheck::Shared {
    platform::Event cancel{platform::Event::Reset::Manual};
    std::atomic<bool> ended{false};  // the thread's body has returned
    // UI thread only: once set, an outcome that arrives is dropped.
    bool stopped = false;
    OwnerWindow owner;
};

void StartupVersionCheck::Start(OwnerWindow owner) {
    platform::AssertUiThread(__func__);
    if (worker_.joinable()) return;
    shared_ = std::make_shared<Shared>();
    shared_->owner = std::move(owner);
    worker_ = std::thread([shared = shared_] {
        platform::GuardEntry([&shared] {
            diagnostics::OpenThreadLog(L"VersionCheck");
            service::VersionInfo offered;
            service::ServiceResult result = service::ServiceResult::Failed;
            {
                diagnostics::LogScope scope(L"Version check");
                result = service::CheckVersion(offered, &shared->cancel);
            }
            if (shared->cancel.IsSet()) return;
            platform::TheUiThread().Post([shared, result, offered] {
                platform::GuardEntry([&] {
                    if (!shared->stopped) ShowOutcome(result, offered, shared->owner);
                });
            });
        });
        diagnostics::CloseThreadLog();
        shared->ended = true;
    });
}

bool StartupVersionCheck::Running() const { return shared_ != nullptr && !shared_->ended; }

void StartupVersionCheck::Stop() {
    if (!shared_) return;
    platform::AssertUiThread(__func__);
    shared_->stopped = true;
    shared_->cancel.Set();
    if (worker_.joinable()) worker_.join();
    shared_.reset();
}

}  // namespace sealwing
