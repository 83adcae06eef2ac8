#pragma once

// What the add-in keeps in this process from one call to the next, beyond the platform record and the
// account-management service's creator (both installed for a scope, and put back when it ends): the sessions and
// their password prompt, the cached passwords, the settings and their standing check, the activity logs with their
// header facts and crash-report step, and the entry guards' reporter.
namespace sealwing {

// Puts all of it back as a new process starts. Tests call it before and after each test; the add-in must be
// disconnected and no worker thread of it running.
void ResetProcessState();

}  // namespace sealwing
