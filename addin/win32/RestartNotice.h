#pragma once

namespace sealwing::win32 {

// Tells the user to restart Outlook when one of its windows is open: the first top-level window whose title
// contains "Microsoft Outlook" and not "Parcelon" (the add-in's own windows) shows one system-modal notice.
// True when the notice was shown.
bool ShowRestartNoticeIfOutlookRuns();

}  // namespace sealwing::win32
