// What logging costs the thread that logs: every line goes to the file at once and into the in-memory copy, and
// every outermost operation rewrites the marker twice.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "diagnostics/Log.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TempFolder.h"

namespace {

using namespace sealwing;

class LogFixture {
public:
    LogFixture()
        : files_(temp_.Path() + L"/roaming", temp_.Path() + L"/local"),
          platform_(platform::Platform{.clock = &clock_, .files = &files_}) {
        diagnostics::ResetActivityLogsForTests();
        diagnostics::OpenThreadLog(L"Main");
    }
    ~LogFixture() { diagnostics::ResetActivityLogsForTests(); }

private:
    platform::TempFolder temp_;
    platform::PosixFileSystem files_;
    platform::ManualClock clock_;
    platform::ScopedPlatform platform_;
};

void BM_LogWriteLine(benchmark::State& state) {
    LogFixture fixture;
    const std::wstring line = L"[NETWORK] GET rest/account.xml?init_session=1 for ann@example.com\n";
    for (auto _ : state) diagnostics::LogWrite(line);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}
BENCHMARK(BM_LogWriteLine);

void BM_LogOuterScope(benchmark::State& state) {
    LogFixture fixture;
    for (auto _ : state) {
        diagnostics::LogScope scope(L"New inspector opened", {"SealwingAddin.cpp", 132});
    }
}
BENCHMARK(BM_LogOuterScope);

}  // namespace
