#include "diagnostics/Log.h"
#include "platform/EntryGuard.h"

namespace sealwing::diagnostics {

void LogEntryFailure(std::exception_ptr failure) noexcept {
    try {
        try {
            std::rethrow_exception(std::move(failure));
        } catch (const outlook::ComError& error) {
            LogComException(error);
        } catch (...) {
            LogWrite(L"[ERROR] Unhandled exception\n");
        }
        if (IsOperationInProgress()) CloseOperation(false);
    } catch (...) {
        // Logging itself failed (out of memory): the entry is still not allowed to throw.
    }
}

void InstallEntryFailureLogging() { platform::SetEntryFailureReporter(&LogEntryFailure); }

}  // namespace sealwing::diagnostics
