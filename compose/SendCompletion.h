#pragma once

#include <string>

#include "service/OutgoingMessage.h"
#include "service/ServiceRecords.h"

namespace sealwing::compose {

// One send attempt's outcome as the send queue's worker hands it to the UI thread, which finishes the message there
// and may change what the worker does next: the result, the error text shown, whether the item is done, and the
// count of times new credentials were asked for. It lives with the worker for the whole attempt.
struct SendCompletion {
    service::ServiceResult& result;
    service::OutgoingMessage& message;
    bool& done;  // set before every delivery; cleared by the completion only to send the item again
    std::wstring& errorText;
    int& attempts;
};

}  // namespace sealwing::compose
