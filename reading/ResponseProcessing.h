#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "outlook/ObjectModel.h"
#include "platform/UiThread.h"
#include "platform/WindowSystem.h"
#include "service/SecureMessage.h"

// Reply, Reply All and Forward of a secure message: Outlook's response would quote only the notice that stands for
// the message, so the message is downloaded, the response's recipients trimmed, and, once the response's window is
// activated, its body replaced by the template filled with the message. UI thread only.
namespace sealwing::reading {

inline constexpr const wchar_t* kSecureSubjectPrefix = L"[Secure Message] ";
// Attachments above this total are forwarded only when the user says so.
inline constexpr std::int64_t kForwardWithoutAskingLimit = 204800;
// Outlook 2003 sets a response's body only a little after its window was activated.
inline constexpr std::uint32_t kBodyDelayMilliseconds = 100;

// A reply or forward of a secure message whose window is about to open.
struct PendingResponse {
    outlook::Ref<outlook::MailItem> received;
    outlook::Ref<outlook::Inspector> inspector;
    service::SecureMessage message;
};

// What a body timer delivers when it fires: the response window and the HTML to put into it.
struct BodyTimer {
    outlook::Ref<outlook::Inspector> inspector;
    std::wstring html;
};

// What reply and forward need of the add-in, which keeps the pending response and the body timers.
class ResponseRegistry {
public:
    // 11 (2003), 12 (2007), 14 (2010).
    virtual int OutlookMajorVersion() const = 0;
    // Keeps the response's window, the received item and the message until that window is activated; false, and
    // nothing kept, while another response is pending. ComError when Outlook fails to give the window.
    virtual bool RegisterPendingResponse(const outlook::Ref<outlook::MailItem>& response,
                                         const outlook::Ref<outlook::MailItem>& received,
                                         const service::SecureMessage& message) = 0;
    virtual void AddBodyTimer(platform::TimerId timer, outlook::Ref<outlook::Inspector> inspector,
                              std::wstring html) = 0;
    virtual std::optional<BodyTimer> TakeBodyTimer(platform::TimerId timer) = 0;

protected:
    ~ResponseRegistry() = default;
};

// Reply and Reply All. Returns false only when an item is missing, and the caller then cancels Outlook's response;
// a message without the service's id is left to Outlook. Automation errors go to the caller.
bool ProcessReply(ResponseRegistry& registry, const outlook::Ref<outlook::MailItem>& received,
                  const outlook::Ref<outlook::MailItem>& response);
// Forward, with the message's attachments when they are small or the user asks for them (owned by `owner`).
bool ProcessForward(ResponseRegistry& registry, const outlook::Ref<outlook::MailItem>& received,
                    const outlook::Ref<outlook::MailItem>& response, platform::WindowHandle owner);

// The pending response's window was activated (the add-in has already forgotten it): its subject loses the secure
// prefix and its body becomes the filled template, on Outlook 2003 through a body timer. Automation errors are
// logged here.
void CompleteResponse(ResponseRegistry& registry, const PendingResponse& response);

}  // namespace sealwing::reading
