#include "platform/EntryGuard.h"

#include <atomic>
#include <cstdio>

namespace sealwing::platform {
namespace {

std::atomic<EntryFailureReporter> g_reporter{nullptr};

}  // namespace

void SetEntryFailureReporter(EntryFailureReporter reporter) { g_reporter.store(reporter); }
EntryFailureReporter CurrentEntryFailureReporter() { return g_reporter.load(); }

void ReportEntryFailure(std::exception_ptr failure) noexcept {
    if (const EntryFailureReporter reporter = g_reporter.load(); reporter != nullptr) {
        reporter(std::move(failure));
        return;
    }
    try {
        std::rethrow_exception(std::move(failure));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "unhandled exception at an entry from the host: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "unhandled exception at an entry from the host\n");
    }
}

}  // namespace sealwing::platform
