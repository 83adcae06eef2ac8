#include "reading/ResponseProcessing.h"

#include <cstdint>
#include <vector>

#include "diagnostics/Log.h"
#include "mailstore/OutlookActions.h"
#include "outlook/ComError.h"
#include "platform/EntryGuard.h"
#include "platform/Platform.h"
#include "platform/UiThread.h"
#include "platform/UserInterface.h"
#include "reading/AttachmentDownload.h"
#include "reading/ReplyTemplate.h"
#include "service/ServiceOperations.h"

namespace sealwing::reading {
namespace {

constexpr const wchar_t* kCaption = L"Parcelon for Microsoft Outlook";
constexpr const wchar_t* kNonSecureMessage = L"Non-secure message. Skipping\n";

// The message as the service holds it; an empty one, after telling the user, when it cannot be had.
service::SecureMessage DownloadOriginal(const std::wstring& messageId, const std::wstring& user) {
    service::SecureMessage message;
    std::vector<std::wstring> explanations;
    if (service::DownloadMessage(messageId, user, message, explanations) == service::ServiceResult::Success) {
        return message;
    }
    std::wstring text = L"Unable to download original encrypted message.";
    if (explanations.empty()) text += L"\nIf the problem persists please contact support";
    for (const auto& explanation : explanations) text += L"\n" + explanation;
    platform::TheUserInterface().ShowMessageBox(platform::MessageBoxRequest{
        .owner = platform::kNoWindow,
        .text = text,
        .caption = kCaption,
        .icon = platform::MessageBoxIcon::Warning,
        .taskModal = true,
    });
    return {};
}

// A reply never goes back to the user's own account. A response with one recipient keeps it, whoever it is.
void RemoveUsersOwnAddress(const outlook::Ref<outlook::MailItem>& response, const std::wstring& user) {
    const auto recipients = response->Recipients();
    const int count = recipients->Count();
    if (count <= 1) return;
    for (int index = count; index >= 1; --index) {
        if (mailstore::GetRecipientSmtpAddress(recipients->Item(index)) == user) recipients->Remove(index);
    }
}

outlook::Ref<outlook::MailItem> ShownItem(const outlook::Ref<outlook::Inspector>& inspector) {
    return std::dynamic_pointer_cast<outlook::MailItem>(inspector->CurrentItem());
}

// Outlook 2003's body timer: once only, whatever happens to the response meanwhile.
void DeliverBody(ResponseRegistry& registry, platform::TimerId timer) {
    platform::TheUiThread().KillTimer(timer);
    std::optional<BodyTimer> body = registry.TakeBodyTimer(timer);
    if (!body) return;
    try {
        if (const auto item = ShownItem(body->inspector)) item->SetHTMLBody(body->html);
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

}  // namespace

bool ProcessReply(ResponseRegistry& registry, const outlook::Ref<outlook::MailItem>& received,
                  const outlook::Ref<outlook::MailItem>& response) {
    platform::AssertUiThread(__func__);
    diagnostics::LogScope scope(L"Processing reply");
    if (received == nullptr || response == nullptr) return false;
    const std::wstring messageId = mailstore::GetInternetHeaderValue(mailstore::kMessageIdHeader, received);
    if (messageId.empty()) {
        diagnostics::LogWrite(kNonSecureMessage);
        return true;
    }
    const std::wstring user = mailstore::GetReceiverAddress(received);
    const service::SecureMessage message = DownloadOriginal(messageId, user);
    RemoveUsersOwnAddress(response, user);
    registry.RegisterPendingResponse(response, received, message);
    return true;
}

bool ProcessForward(ResponseRegistry& registry, const outlook::Ref<outlook::MailItem>& received,
                    const outlook::Ref<outlook::MailItem>& response, platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    diagnostics::LogScope scope(L"Processing forward");
    if (received == nullptr || response == nullptr) return false;
    const std::wstring user = mailstore::GetReceiverAddress(received);
    const std::wstring messageId = mailstore::GetInternetHeaderValue(mailstore::kMessageIdHeader, received);
    if (messageId.empty()) {
        diagnostics::LogWrite(kNonSecureMessage);
        return true;
    }
    const service::SecureMessage message = DownloadOriginal(messageId, user);
    // Small attachments come along without a word; large ones only when the user wants them, behind the progress
    // dialog.
    std::int64_t total = 0;
    for (const auto& attachment : message.attachments) total += attachment.size;
    bool take = true;
    bool asked = false;
    if (total > kForwardWithoutAskingLimit) {
        asked = true;
        take = platform::TheUserInterface().ShowMessageBox(platform::MessageBoxRequest{
                   .owner = owner,
                   .text = L"Do you also want to forward attachments?",
                   .caption = kCaption,
                   .icon = platform::MessageBoxIcon::Question,
                   .buttons = platform::MessageBoxButtons::YesNo,
               }) == platform::DialogResult::Yes;
    }
    if (take) DownloadAttachments(messageId, user, message, response, owner, asked);
    registry.RegisterPendingResponse(response, received, message);
    return true;
}

void CompleteResponse(ResponseRegistry& registry, const PendingResponse& response) {
    platform::AssertUiThread(__func__);
    diagnostics::LogScope scope(L"Inspector activated");
    try {
        const auto item = ShownItem(response.inspector);
        if (item == nullptr) return;
        std::wstring subject = item->Subject();
        if (const std::size_t prefix = subject.find(kSecureSubjectPrefix); prefix != std::wstring::npos) {
            subject.erase(prefix, std::wstring_view(kSecureSubjectPrefix).size());
            item->SetSubject(subject);
        }
        std::wstring html =
            FillReplyTemplate(LoadReplyTemplate(), response.message, FormatSentDate(response.received->SentOn()));
        if (registry.OutlookMajorVersion() == 11) {
            const platform::TimerId timer = platform::TheUiThread().SetTimer(
                kBodyDelayMilliseconds,
                [&registry](platform::TimerId fired) { platform::GuardEntry([&] { DeliverBody(registry, fired); }); });
            registry.AddBodyTimer(timer, response.inspector, std::move(html));
        } else {
            item->SetHTMLBody(html);
        }
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
    }
}

}  // namespace sealwing::reading
