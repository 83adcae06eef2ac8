#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>

#include "platform/UiThread.h"

namespace sealwing::platform {
namespace {

Platform g_platform;

template <class Port>
Port& Require(Port* port, const char* name) {
    if (port == nullptr) {
        std::fprintf(stderr, "platform port '%s' used before it was installed\n", name);
        std::abort();
    }
    return *port;
}

}  // namespace

void InstallPlatform(const Platform& platform) { g_platform = platform; }
const Platform& CurrentPlatform() { return g_platform; }

Browser& TheBrowser() { return Require(g_platform.browser, "browser"); }
Clock& TheClock() { return Require(g_platform.clock, "clock"); }
FileSystem& Files() { return Require(g_platform.files, "files"); }
Graphics& TheGraphics() { return Require(g_platform.graphics, "graphics"); }
Http& TheHttp() { return Require(g_platform.http, "http"); }
Registry& TheRegistry() { return Require(g_platform.registry, "registry"); }
SecretProtection& Secrets() { return Require(g_platform.secrets, "secret protection"); }
UiThread& TheUiThread() { return Require(g_platform.uiThread, "UI thread"); }
UserInterface& TheUserInterface() { return Require(g_platform.ui, "user interface"); }
WindowSystem& Windows() { return Require(g_platform.windows, "windows"); }

void AssertUiThread([[maybe_unused]] const char* function) {
#ifndef NDEBUG
    if (g_platform.uiThread != nullptr && !g_platform.uiThread->IsUiThread()) {
        std::fprintf(stderr, "%s must run on the UI thread\n", function);
        std::abort();
    }
#endif
}

ScopedPlatform::ScopedPlatform(const Platform& platform) : previous_(g_platform) { g_platform = platform; }
ScopedPlatform::~ScopedPlatform() { g_platform = previous_; }

}  // namespace sealwing::platform
