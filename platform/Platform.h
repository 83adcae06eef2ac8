#pragma once

// The process-wide platform record: every port the portable logic reaches, installed once at load
// (the DLL's entry, the simulated Outlook's start, a test fixture) before any other thread starts.

namespace sealwing::platform {

class Browser;
class Clock;
class FileSystem;
class Graphics;
class Http;
class Registry;
class SecretProtection;
class UiThread;
class UserInterface;
class WindowSystem;

struct Platform {
    Browser* browser = nullptr;
    Clock* clock = nullptr;
    FileSystem* files = nullptr;
    Graphics* graphics = nullptr;
    Http* http = nullptr;
    Registry* registry = nullptr;
    SecretProtection* secrets = nullptr;
    UiThread* uiThread = nullptr;
    UserInterface* ui = nullptr;
    WindowSystem* windows = nullptr;
};

void InstallPlatform(const Platform& platform);
const Platform& CurrentPlatform();

// Accessors for one port; a port that was never installed is a programming error and aborts with a message.
Browser& TheBrowser();
Clock& TheClock();
FileSystem& Files();
Graphics& TheGraphics();
Http& TheHttp();
Registry& TheRegistry();
SecretProtection& Secrets();
UiThread& TheUiThread();
UserInterface& TheUserInterface();
WindowSystem& Windows();

// Functions that touch Outlook objects, dialogs or timers call this first: a debug build stops, naming the
// function, when the call came from another thread than the UI thread. Release builds check nothing.
void AssertUiThread(const char* function);

// Installs a platform for the lifetime of the object and restores the previous one afterwards (tests).
class ScopedPlatform {
public:
    explicit ScopedPlatform(const Platform& platform);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform previous_;
};

}  // namespace sealwing::platform
