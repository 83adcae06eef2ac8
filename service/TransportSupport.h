#pragma once

#include <optional>
#include <string_view>

#include "diagnostics/Log.h"
#include "platform/Http.h"

// What the transport's requests share: the credentials gate, the target and the log section held open across a
// blocking request.
namespace sealwing::service::detail {

// The credentials for `user`, or nothing when a user is named but no password is cached for it (the gate).
std::optional<platform::HttpCredentials> GateCredentials(std::wstring_view user);

// An ordinary request is bounded as a whole; a transfer (the message upload, an attachment download) by its progress.
enum class RequestKind { Request, Transfer };

platform::HttpTarget ServiceTarget(std::string_view path, RequestKind kind);

// The thread's open log section is suspended for the length of a request, so a run that ends during a long wait is
// not reported as a crash; it is resumed on every path, with a failure note when nothing else resumed it.
class SuspendedOperation {
public:
    SuspendedOperation();
    ~SuspendedOperation();
    SuspendedOperation(const SuspendedOperation&) = delete;
    SuspendedOperation& operator=(const SuspendedOperation&) = delete;

    void Resume(std::wstring_view text, const diagnostics::LogPlace& place);

private:
    bool suspended_ = false;
};

}  // namespace sealwing::service::detail
