#pragma once

namespace sealwing::win32 {

// The platform record of the DLL: the Windows adapters of every port, installed while an add-in object lives, and
// with it the creator of Outlook's account-management service (CoCreateInstance).
// Outlook creates and releases the add-in on its UI thread, which is where the UI-thread router window must be made
// and destroyed; taking the adapters down with the last object also means no window procedure of the DLL outlives
// an unload.
void AcquireWindowsPlatform();
void ReleaseWindowsPlatform();

}  // namespace sealwing::win32
