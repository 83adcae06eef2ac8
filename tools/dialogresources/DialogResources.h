#pragma once

#include <array>

#include "diagnostics/CrashReportDialogTemplate.h"
#include "diagnostics/LogViewerDialogTemplate.h"
#include "dialogs/AboutDialogTemplate.h"
#include "dialogs/AccountRequiredDialogTemplate.h"
#include "dialogs/ErrorDialogTemplate.h"
#include "dialogs/ImapWarningDialogTemplate.h"
#include "dialogs/LoginDialogTemplate.h"
#include "dialogs/NewVersionDialogTemplate.h"
#include "mailstore/MapEmailDialogTemplate.h"
#include "options/OptionsDialogTemplate.h"
#include "platform/Dialog.h"
#include "reading/DownloadAttachmentsDialogTemplate.h"

namespace sealwing::tools {

// Every dialog the DLL carries, in the order of resources/Dialogs.rc; a new dialog adds its line here.
inline constexpr std::array<const platform::DialogTemplate*, 11> kDialogResources = {
    &dialogs::kLoginDialogTemplate,
    &dialogs::kErrorDialogTemplate,
    &dialogs::kAccountRequiredDialogTemplate,
    &dialogs::kImapWarningDialogTemplate,
    &dialogs::kNewVersionDialogTemplate,
    &dialogs::kAboutDialogTemplate,
    &mailstore::kMapEmailDialogTemplate,
    &diagnostics::kCrashReportDialogTemplate,
    &diagnostics::kLogViewerDialogTemplate,
    &options::kOptionsDialogTemplate,
    &reading::kDownloadAttachmentsDialogTemplate,
};

}  // namespace sealwing::tools
