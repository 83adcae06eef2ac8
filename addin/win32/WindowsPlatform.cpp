#include "addin/win32/WindowsPlatform.h"

#include <memory>
#include <mutex>

#include "addin/win32/ButtonPicture.h"
#include "addin/win32/Module.h"
#include "diagnostics/CrashReport.h"
#include "diagnostics/Log.h"
#include "outlook/AccountManagement.h"
#include "outlook/win32/dispatch/ButtonPictureMaker.h"
#include "outlook/win32/mapi/OlkAdapters.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/win32/Win32ActivationContext.h"
#include "platform/win32/Win32Browser.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Graphics.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32SecretProtection.h"
#include "platform/win32/Win32UiThread.h"
#include "platform/win32/Win32UserInterface.h"
#include "platform/win32/Win32WindowSystem.h"
#include "platform/win32/WinHttp.h"
#include "service/ServiceOperations.h"

namespace sealwing::win32 {
namespace {

// The DLL's own common-controls 6 manifest (resources/Dialogs.rc), active while its dialogs are made.
constexpr WORD kDialogsManifest = 2;

struct Adapters {
    Adapters()
        : dialogsManifest(ModuleHandle(), kDialogsManifest),
          ui(ModuleHandle(), dialogsManifest.Valid() ? dialogsManifest.Get() : nullptr) {}

    platform::Win32ActivationContext dialogsManifest;
    platform::Win32Browser browser;
    platform::SystemClock clock;
    platform::Win32FileSystem files;
    platform::Win32Graphics graphics;
    platform::Win32Registry registry;
    platform::Win32SecretProtection secrets;
    platform::win32::WinHttp http;
    platform::Win32UiThread uiThread;
    platform::Win32UserInterface ui;
    platform::Win32WindowSystem windows;
    // Outlook's account-management service, reached through COM while Outlook has the add-in loaded.
    outlook::olk::ScopedAccountManagerCreator accountManagerClass{outlook::win32::CreateComAccountManager};
};

std::mutex g_mutex;
int g_users = 0;
std::unique_ptr<Adapters> g_adapters;

}  // namespace

void AcquireWindowsPlatform() {
    const std::lock_guard guard(g_mutex);
    if (g_users++ > 0) return;
    g_adapters = std::make_unique<Adapters>();
    Adapters& adapters = *g_adapters;
    platform::Platform record;
    record.browser = &adapters.browser;
    record.clock = &adapters.clock;
    record.files = &adapters.files;
    record.graphics = &adapters.graphics;
    record.registry = &adapters.registry;
    record.secrets = &adapters.secrets;
    record.http = &adapters.http;
    record.uiThread = &adapters.uiThread;
    record.ui = &adapters.ui;
    record.windows = &adapters.windows;
    platform::InstallPlatform(record);
    diagnostics::InstallCrashReportOffer(&service::UploadCrashReport);
    diagnostics::InstallEntryFailureLogging();
    outlook::win32::InstallButtonPictureMaker(&MakeButtonFacePicture);
}

void ReleaseWindowsPlatform() {
    const std::lock_guard guard(g_mutex);
    if (--g_users > 0) return;
    outlook::win32::InstallButtonPictureMaker(nullptr);
    platform::InstallPlatform(platform::Platform{});
    g_adapters.reset();
}

}  // namespace sealwing::win32
