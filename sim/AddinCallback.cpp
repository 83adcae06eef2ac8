#include "sim/AddinCallback.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "outlook/ComError.h"
#include "platform/EntryGuard.h"
#include "platform/Text.h"

namespace sealwing::sim {
namespace {

std::atomic<AddinCallbackFailureHandler> g_handler{nullptr};

std::string Described(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const outlook::ComError& error) {
        return "COM error 0x" + platform::Hex(static_cast<std::uint32_t>(error.Code())) + " \"" +
               platform::Utf8FromWide(error.Description()) + "\"";
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "an exception of no standard type";
    }
}

}  // namespace

void SetAddinCallbackFailureHandler(AddinCallbackFailureHandler handler) { g_handler.store(handler); }

void ReportAddinCallbackFailure(std::wstring_view entry, std::exception_ptr failure) noexcept {
    platform::ReportEntryFailure(failure);
    try {
        const std::string line = "an exception escaped the add-in's " + platform::Utf8FromWide(entry) +
                                 " into the simulated Outlook: " + Described(failure);
        if (const AddinCallbackFailureHandler handler = g_handler.load(); handler != nullptr) {
            handler(line);
        } else {
            std::fprintf(stderr, "%s\n", line.c_str());
        }
    } catch (...) {
        // Out of memory, or a handler that throws: the failure is still not allowed past the simulated desktop.
        std::fputs("an exception escaped a callback of the add-in into the simulated Outlook\n", stderr);
    }
}

}  // namespace sealwing::sim
