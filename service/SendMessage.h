#pragma once

#include <string>
#include <vector>

#include "platform/Http.h"
#include "service/OutgoingMessage.h"
#include "service/ServiceRecords.h"

// Posting a composed message to the service. Runs on the send worker's thread and never touches the Outlook item.
namespace sealwing::service {

inline constexpr const wchar_t* kConnectionFailedText = L"Connection to Parcelon server failed.";
inline constexpr const wchar_t* kUnexpectedErrorText = L"An unexpected error has occurred.";

// The message's text fields, in the order the service expects them, each with the encoding the form engine gives it.
struct MessageField {
    enum class Encoding { Utf8, Ansi };
    std::wstring name;
    std::wstring value;
    Encoding formEngineEncoding = Encoding::Utf8;
};
std::vector<MessageField> MessageFields(const OutgoingMessage& message);

// The form engine's parts for a message with attachments: the text fields, then one file part per attachment named
// by its index.
std::vector<platform::HttpFormPart> MessageFormParts(const OutgoingMessage& message);

// Sends the message: through the form engine when it has attachments, otherwise as a body from the own form writer.
// On failure errorText holds what the user is told (empty when nothing more can be said).
ServiceResult SendMessage(const OutgoingMessage& message, std::wstring& errorText);

}  // namespace sealwing::service
