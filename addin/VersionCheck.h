#pragma once

#include "platform/WindowSystem.h"
#include "service/ServiceRecords.h"

namespace sealwing {

// Whether the service offers a newer add-in than this one.
bool IsNewerThanThisAddin(const service::VersionInfo& offered);

// Start-up's look at the service for a newer add-in. Only a missing version file is reported to the user; every
// other failure is silent and nothing is retried. UI thread only.
void RunVersionCheck(platform::WindowHandle owner);

}  // namespace sealwing
