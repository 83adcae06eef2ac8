// The crash writer: saves the credentials file, writes the settings and runs activity-log operations in a loop, as
// the add-in does on Linux, reporting each step on a descriptor, until it has done the iterations asked or is
// killed. The test that kills it checks what the files hold afterwards.
//
//   sealwing_crash_writer <data folder> serve
//
// Each line "<iterations, or -1 for no end> <hold: 0 or 1>" on standard input starts one writer run in a process of
// its own, forked from this one before anything was set up, so that every run is a fresh start without paying for
// a program's start (seconds over two hundred runs in the sanitizer builds). The run's process id, then its wait
// status once it ended, go out on the control descriptor as 32-bit integers. With hold the run stops inside its
// first log operation and waits there to be killed.

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "diagnostics/Log.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/Text.h"
#include "platform/posix/FileRegistry.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/SodiumSecretProtection.h"
#include "settings/PasswordStorage.h"
#include "tests/posix/CrashWriterProtocol.h"

namespace sealwing::testing::crash {
namespace {

void Report(WriterEvent event, int variant) {
    const std::uint8_t byte = EventByte(event, variant);
    ssize_t written;
    do {
        written = ::write(kProgressFd, &byte, 1);
    } while (written < 0 && errno == EINTR);
    // A writer nobody listens to any more has nothing left to prove.
    if (written != 1) std::_Exit(3);
}

int Run(const std::string& dataFolder, long iterations, bool hold) {
    const std::wstring folder = platform::WideFromUtf8(dataFolder);
    std::filesystem::create_directories(dataFolder + "/roaming");
    std::filesystem::create_directories(dataFolder + "/local");

    platform::PosixFileSystem files(RoamingFolder(folder), LocalFolder(folder));
    platform::FileRegistry registry(RegistryPath(folder));
    platform::SodiumSecretProtection secrets(KeyFile(dataFolder));
    platform::SystemClock clock;
    platform::InstallPlatform({.clock = &clock, .files = &files, .registry = &registry, .secrets = &secrets});
    if (const std::wstring problem = registry.LoadProblem(); !problem.empty()) {
        std::fprintf(stderr, "settings file unreadable at start: %s\n", platform::Utf8FromWide(problem).c_str());
        return 2;
    }

    if (!registry.CreateKey(kSettingsKey)) {
        std::fprintf(stderr, "creating the settings key failed\n");
        return 2;
    }

    diagnostics::OpenThreadLog(L"Main");
    Report(WriterEvent::Started, 0);

    for (long i = 0; iterations < 0 || i < iterations; ++i) {
        const int variant = static_cast<int>(i % 2);

        Report(WriterEvent::SavingCredentials, variant);
        settings::SavePasswordStorage(Credentials(variant));
        Report(WriterEvent::SavedCredentials, variant);

        Report(WriterEvent::WritingSettings, variant);
        if (!platform::TheRegistry().WriteString(kSettingsKey, kSettingsValueName, SettingsValue(variant))) {
            std::fprintf(stderr, "writing the settings failed\n");
            return 2;
        }
        Report(WriterEvent::WroteSettings, variant);

        Report(WriterEvent::OpeningOperation, variant);
        {
            diagnostics::LogScope scope(L"Writing crash test lines");
            Report(WriterEvent::InOperation, variant);
            if (hold) ::pause();
            for (int line = 0; line < kLinesPerOperation; ++line) {
                diagnostics::LogWrite(L"line " + std::to_wstring(line) + L" of iteration " + std::to_wstring(i) +
                                      L"\n");
            }
            Report(WriterEvent::ClosingOperation, variant);
        }
        Report(WriterEvent::ClosedOperation, variant);
    }
    diagnostics::CloseThreadLog();
    return 0;
}

void SendControl(std::int32_t value) {
    if (::write(kControlFd, &value, sizeof value) != sizeof value) std::_Exit(3);
}

int Serve(const std::string& dataFolder) {
    long iterations = 0;
    int hold = 0;
    while (std::scanf("%ld %d", &iterations, &hold) == 2) {
        const pid_t run = ::fork();
        if (run < 0) return 2;
        if (run == 0) {
            ::close(kControlFd);
            std::exit(Run(dataFolder, iterations, hold != 0));
        }
        SendControl(run);
        int status = 0;
        while (::waitpid(run, &status, 0) < 0) {
            if (errno != EINTR) return 2;
        }
        SendControl(status);
    }
    return 0;
}

}  // namespace
}  // namespace sealwing::testing::crash

int main(int argc, char** argv) {
    if (argc != 3 || std::string(argv[2]) != "serve") {
        std::fprintf(stderr, "usage: %s <data folder> serve\n", argv[0]);
        return 64;
    }
    return sealwing::testing::crash::Serve(argv[1]);
}
