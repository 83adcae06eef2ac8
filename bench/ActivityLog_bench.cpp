// What logging costs the thread that logs: every line goes to the file at once and into the in-memory copy, and
// every outermost operation rewrites the marker twice. The anchors, measured in the same loops: the C library writing
// the same line to a file of its own and flushing it, and rewriting a marker in place twice.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/Timing.h"
#include "diagnostics/Log.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TempFolder.h"

namespace {

using namespace sealwing;
using sealwing::bench::Clock;
using sealwing::bench::Seconds;

class LogFixture {
public:
    LogFixture()
        : files_(temp_.Path() + L"/roaming", temp_.Path() + L"/local"),
          platform_(platform::Platform{.clock = &clock_, .files = &files_}) {
        diagnostics::ResetActivityLogsForTests();
        diagnostics::OpenThreadLog(L"Main");
    }
    ~LogFixture() { diagnostics::ResetActivityLogsForTests(); }

    std::string Path(const char* name) const { return temp_.Narrow() + "/" + name; }

private:
    platform::TempFolder temp_;
    platform::PosixFileSystem files_;
    platform::ManualClock clock_;
    platform::ScopedPlatform platform_;
};

void Report(benchmark::State& state, double own, double anchor) {
    state.counters["stdio_ns"] = benchmark::Counter(anchor * 1e9, benchmark::Counter::kAvgIterations);
    state.counters["ratio_to_stdio"] = anchor > 0 ? own / anchor : 0;
}

// One line, against fputs and fflush of the same line (as UTF-8) to a file.
void BM_LogWriteLineAgainstStdio(benchmark::State& state) {
    LogFixture fixture;
    const std::wstring line = L"[NETWORK] GET rest/account.xml?init_session=1 for ann@example.com\n";
    const std::string narrow = platform::Utf8FromWide(line);
    std::FILE* file = std::fopen(fixture.Path("stdio.log").c_str(), "ab");
    double own = 0;
    double anchor = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        diagnostics::LogWrite(line);
        const auto written = Clock::now();
        std::fputs(narrow.c_str(), file);
        std::fflush(file);
        own += Seconds(written - start);
        anchor += Seconds(Clock::now() - written);
        state.SetIterationTime(Seconds(written - start));
    }
    std::fclose(file);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
    Report(state, own, anchor);
}
BENCHMARK(BM_LogWriteLineAgainstStdio)->UseManualTime();

// An outermost operation, which marks the log as busy and then as idle, against rewriting a marker in place twice.
void BM_LogOuterScopeAgainstStdio(benchmark::State& state) {
    LogFixture fixture;
    std::FILE* marker = std::fopen(fixture.Path("marker").c_str(), "w+b");
    double own = 0;
    double anchor = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        { diagnostics::LogScope scope(L"New inspector opened", {"SealwingAddin.cpp", 132}); }
        const auto scoped = Clock::now();
        for (const char* text : {"CREATE\n", "OK    \n"}) {
            std::rewind(marker);
            std::fputs(text, marker);
            std::fflush(marker);
        }
        own += Seconds(scoped - start);
        anchor += Seconds(Clock::now() - scoped);
        state.SetIterationTime(Seconds(scoped - start));
    }
    std::fclose(marker);
    Report(state, own, anchor);
}
BENCHMARK(BM_LogOuterScopeAgainstStdio)->UseManualTime();

}  // namespace
