#include "addin/ProcessState.h"

#include "diagnostics/Log.h"
#include "platform/EntryGuard.h"
#include "service/SessionManager.h"
#include "settings/PasswordCache.h"
#include "settings/SettingsStore.h"

namespace sealwing {

ConnectedAddin& TheConnectedAddin() {
    static ConnectedAddin connected;
    return connected;
}

CSealwingAddin* TheAddin() { return TheConnectedAddin().addin; }
CSealwingAddin* TheAddinForAbout() { return TheConnectedAddin().forAbout; }
outlook::Ref<outlook::Application> TheOutlookApplication() { return TheConnectedAddin().application; }

void ResetProcessState() {
    TheConnectedAddin() = ConnectedAddin{};
    service::SessionManager& sessions = service::SessionManager::Instance();
    sessions.Reset();
    sessions.SetPasswordPrompt(nullptr);
    settings::PasswordCache::Instance().ClearForTests();
    settings::SettingsStore::Instance().ResetForTests();
    diagnostics::ResetActivityLogsForTests();
    platform::SetEntryFailureReporter(nullptr);
}

}  // namespace sealwing
