#pragma once

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "addin/ProcessState.h"
#include "diagnostics/Log.h"
#include "outlook/AccountManagement.h"
#include "outlook/win32/dispatch/WrapApplication.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32TempFolder.h"
#include "platform/win32/WinHttp.h"
#include "service/TransportEndpoint.h"
#include "sim/SimOutlook.h"
#include "sim/win32/EventForwarder.h"
#include "sim/win32/ServeObjects.h"
#include "sim/win32/StandInButtonPictures.h"

// The Windows test programs' ground: a simulated Outlook served through COM on this apartment thread, with the user's
// files in a fresh folder and a registry subtree of the test's own, and stand-in pictures for the buttons the add-in
// adds (the DLL's resources are not in these programs).
namespace sealwing::sim::win32 {

// A simulated Outlook whose Application reaches the add-in only through IDispatch, on this apartment thread.
class DispatchWorld {
public:
    explicit DispatchWorld(int majorVersion) : DispatchWorld(SimOptions{.majorVersion = majorVersion}) {}
    explicit DispatchWorld(const SimOptions& options)
        : files_(temp_.At(L"roaming"), temp_.At(L"local")),
          registry_(L"Software\\SealwingDispatchTests"),
          clock_(1796871845),
          outlook_(options, clock_),
          platform_(outlook_.PlatformWith({.files = files_, .registry = registry_, .http = &http_})) {
        ResetProcessState();
        EventFailures().clear();
    }
    ~DispatchWorld() {
        ResetProcessState();
        registry_.DeleteKey(L"");
    }

    SimOutlook& Outlook() { return outlook_; }
    platform::ManualClock& Clock() { return clock_; }
    // What OnConnection receives in Outlook's process: the served Application, wrapped by the adapter.
    outlook::Ref<outlook::Object> Host() {
        const auto served = ServeObject(outlook_.Application());
        return outlook::win32::WrapApplication(served.Get());
    }
    // A path inside the user's local application-data folder, where the add-in keeps its logs and scratch files.
    std::wstring LocalPath(const std::wstring& relative) const { return temp_.At(L"local\\" + relative); }
    std::string LogFile(const std::wstring& name) const {
        std::ifstream in(LocalPath(L"Parcelon\\" + name + L".log").c_str(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    // Start-up's version check finds no service here: a port nothing listens on refuses it at once.
    service::ScopedServiceEndpoint noService_{service::ServiceEndpoint{.host = "localhost", .port = 1}};
    platform::win32::WinHttp http_;
    platform::Win32TempFolder temp_;
    platform::Win32FileSystem files_;
    platform::Win32Registry registry_;
    platform::ManualClock clock_;
    SimOutlook outlook_;
    platform::ScopedPlatform platform_;
    ScopedStandInButtonPictures buttonPictures_;
};

}  // namespace sealwing::sim::win32
