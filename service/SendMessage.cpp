#include "service/SendMessage.h"

#include <cstdint>
#include <string_view>
#include <variant>
#include <vector>

#include "diagnostics/Log.h"
#include "platform/Text.h"
#include "service/MultipartForm.h"
#include "service/ServiceReplies.h"
#include "service/Transport.h"

namespace sealwing::service {
namespace {

constexpr const char* kOctetStreamHeader = "Content-Type: application/octet-stream";

// The message's text fields, in the order the service expects them, each with the encoding the form engine gives it.
struct MessageField {
    enum class Encoding { Utf8, Ansi };
    std::wstring_view name;
    // The message's own text, read where the message holds it (a body can run to megabytes), or a text made for the
    // form.
    std::variant<std::wstring_view, std::wstring> value;
    Encoding formEngineEncoding = Encoding::Utf8;

    std::wstring_view Value() const {
        return std::visit([](const auto& text) { return std::wstring_view(text); }, value);
    }
};

std::string Encode(const MessageField& field) {
    return field.formEngineEncoding == MessageField::Encoding::Ansi ? platform::AnsiFromWide(field.Value())
                                                                    : platform::Utf8FromWide(field.Value());
}

std::vector<MessageField> MessageFields(const OutgoingMessage& message) {
    using enum MessageField::Encoding;
    using View = std::wstring_view;
    std::vector<MessageField> fields = {
        {L"message", View(message.body), Utf8},
        {L"email", View(message.email), Ansi},
        {L"recipients", View(message.recipients), Ansi},
    };
    if (!message.recipients_cc.empty()) fields.push_back({L"recipients_cc", View(message.recipients_cc), Ansi});
    if (!message.recipients_bcc.empty()) fields.push_back({L"recipients_bcc", View(message.recipients_bcc), Ansi});
    fields.push_back({L"subject", View(message.subject), Utf8});
    if (message.settings.cc == 1 || message.googleApps) fields.push_back({L"copy_me", View(L"1"), Utf8});
    if (message.settings.alert == 1) fields.push_back({L"notify", View(L"1"), Utf8});
    if (message.settings.destruct != settings::AccountSettings::kNoExpiry) {
        fields.push_back({L"expires", std::to_wstring(message.settings.destruct), Utf8});
    }
    return fields;
}

// The attachments' parts borrow their bytes from the message, which must outlive the post.
std::vector<platform::HttpFormPart> MessageFormParts(const OutgoingMessage& message) {
    std::vector<platform::HttpFormPart> parts;
    for (const MessageField& field : MessageFields(message)) {
        parts.push_back({.name = platform::Utf8FromWide(field.name), .bytes = Encode(field)});
    }
    for (std::size_t index = 0; index < message.attachments.size(); ++index) {
        const OutgoingAttachment& attachment = message.attachments[index];
        parts.push_back({.name = std::to_string(index),
                         .borrowedBytes = &attachment.bytes,  // the message outlives its send
                         .isFile = true,
                         .fileName = platform::Utf8FromWide(attachment.fileName),
                         .contentHeader = kOctetStreamHeader});
    }
    return parts;
}

void LogSending(const OutgoingMessage& message) {
    std::int64_t totalSize = 0;
    for (const OutgoingAttachment& attachment : message.attachments) {
        totalSize += static_cast<std::int64_t>(attachment.bytes.size());
    }
    const std::size_t count = message.attachments.size();
    diagnostics::LogWrite(L"[NETWORK] Sending message. User " + message.email + L", " + std::to_wstring(count) +
                          L" attachment" + (count == 1 ? L"" : L"s") + L", body size " +
                          std::to_wstring(message.body.size()) + L", total attachment size " +
                          std::to_wstring(totalSize) + L"\n");
}

TransportReply PostWithOwnWriter(const OutgoingMessage& message, platform::Event* cancel) {
    MultipartForm form;
    form.Begin();
    for (const MessageField& field : MessageFields(message)) form.AddField(field.name, field.Value());
    form.Finish();
    TransportReply reply = HttpPostMultipart(form.Body(), form.Boundary(), message.email, cancel);
    diagnostics::LogWrite(L"Error code " + std::to_wstring(reply.error) + L", response " +
                          std::to_wstring(reply.status) + L"\n");
    return reply;
}

// The reply's result, with the texts the user sees for a failure: a 404 is one more failure here.
ServiceResult Outcome(const TransportReply& reply, std::wstring& errorText) {
    errorText.clear();
    if (const ServiceResult result = ResultOf(reply);
        result == ServiceResult::Success || result == ServiceResult::NotAuthorised) {
        return result;
    }
    if (reply.error == platform::kHttpCannotConnect) {
        errorText = kConnectionFailedText;
        return ServiceResult::Failed;
    }
    if (reply.status == 500) {
        errorText = kUnexpectedErrorText;
        return ServiceResult::Failed;
    }

    for (const std::wstring& explanation : ReadErrorExplanations(reply.body)) {
        if (!errorText.empty()) errorText += L";";
        errorText += explanation;
    }
    diagnostics::LogWrite(L"Response error explanation - " + errorText + L"\n");
    return ServiceResult::Failed;
}

}  // namespace

ServiceResult SendMessage(const OutgoingMessage& message, std::wstring& errorText, platform::Event* cancel) {
    LogSending(message);
    const TransportReply reply = message.attachments.empty()
                                     ? PostWithOwnWriter(message, cancel)
                                     : PostMessageForm(MessageFormParts(message), message.email, cancel);
    return Outcome(reply, errorText);
}

}  // namespace sealwing::service
