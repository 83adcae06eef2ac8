#include "addin/VersionCheck.h"

#include <string>

#include "addin/AddinVersion.h"
#include "diagnostics/Log.h"
#include "platform/Platform.h"
#include "platform/UserInterface.h"
#include "service/ServiceOperations.h"

namespace sealwing {

bool IsNewerThanThisAddin(const service::VersionInfo& offered) {
    const AddinVersion& own = TheAddinVersion();
    return offered.major > own.major || (offered.major == own.major && offered.minor > own.minor);
}

void RunVersionCheck(platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    service::VersionInfo offered;
    const service::ServiceResult result = service::CheckVersion(offered);
    if (result == service::ServiceResult::NotFound) {
        platform::TheUserInterface().ShowMessageBox(
            {.owner = owner,
             .text = L"Parcelon for Microsoft Outlook was not able to check if a new version is available",
             .caption = L"Security warning",
             .icon = platform::MessageBoxIcon::Warning});
        return;
    }
    if (result != service::ServiceResult::Success || !IsNewerThanThisAddin(offered)) return;
    // The notice that offers the download joins with the other notice dialogs; until then the offer is recorded.
    diagnostics::LogWrite(L"A newer version " + std::to_wstring(offered.major) + L"." + std::to_wstring(offered.minor) +
                          L" is available at " + offered.info_url + L"\n");
}

}  // namespace sealwing
