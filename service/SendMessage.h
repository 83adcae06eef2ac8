#pragma once

#include <string>

#include "platform/Threads.h"
#include "service/OutgoingMessage.h"
#include "service/ServiceRecords.h"

// Posting a composed message to the service. Runs on the send worker's thread and never touches the Outlook item.
namespace sealwing::service {

inline constexpr const wchar_t* kConnectionFailedText = L"Connection to Parcelon server failed.";
inline constexpr const wchar_t* kUnexpectedErrorText = L"An unexpected error has occurred.";

// Sends the message: through the form engine when it has attachments, otherwise as a body from the own form writer.
// On failure errorText holds what the user is told (empty when nothing more can be said); it is emptied first, so
// a retry never reads an earlier attempt's text. A signalled cancel event ends the upload.
ServiceResult SendMessage(const OutgoingMessage& message, std::wstring& errorText, platform::Event* cancel = nullptr);

}  // namespace sealwing::service
