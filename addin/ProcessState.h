#pragma once

#include "outlook/ObjectModel.h"

// What the add-in keeps in this process from one call to the next, beyond the platform record and the
// account-management service's creator (both installed for a scope, and put back when it ends): the connected add-in,
// the sessions and their password prompt, the cached passwords, the settings and their standing check, the activity
// logs with their header facts and crash-report step, and the entry guards' reporter.
namespace sealwing {

class CSealwingAddin;

// Outlook loads one add-in per process. Callbacks that come without an object of their own (timers, the ribbon's
// About) reach it here. UI thread only.
struct ConnectedAddin {
    CSealwingAddin* addin = nullptr;
    CSealwingAddin* forAbout = nullptr;  // set once start-up has passed the version check
    outlook::Ref<outlook::Application> application;
};

ConnectedAddin& TheConnectedAddin();

// The connected add-in; null when none.
CSealwingAddin* TheAddin();
// The add-in as the About dialog reaches it; null until start-up has passed the version check.
CSealwingAddin* TheAddinForAbout();
// Outlook's Application of the connected add-in.
outlook::Ref<outlook::Application> TheOutlookApplication();

// Puts all of it back as a new process starts. Tests call it before and after each test; the add-in must be
// disconnected and no worker thread of it running.
void ResetProcessState();

}  // namespace sealwing
