#pragma once

#include <functional>
#include <string>

#include "compose/SendCompletion.h"
#include "outlook/Mapi.h"
#include "outlook/ObjectModel.h"
#include "platform/WindowSystem.h"

namespace sealwing::compose {

inline constexpr const wchar_t* kUnexpectedSendErrorText =
    L"An unexpected error occured while sending your encrypted message";
inline constexpr const wchar_t* kInternalSystemErrorText = L"Internal system error";
inline constexpr const wchar_t* kSentCopyPrefix = L"[Secure message] ";
inline constexpr const wchar_t* kDraftLeftAfterSendingText =
    L"Your secure message was sent, but its draft could not be removed from the Drafts folder.\nPlease delete the "
    L"draft yourself: sending it again would send the message a second time.";

// Where each send attempt of the send queue ends, on Outlook's UI thread (the queue's worker waits meanwhile). A
// message the service took leaves Drafts, with a plain copy in the Sent folder when the account asks for one; after a
// rejected password the login dialog asks again and the same message goes again; any other failure brings the draft
// back on screen and says why. UI thread only.
class RouterWindow {
public:
    // The error notice over its owner, with the text the user is told.
    using ErrorNotice = std::function<void(platform::WindowHandle owner, const std::wstring& text)>;

    RouterWindow(outlook::Ref<outlook::Application> application, ErrorNotice showError);

    void Complete(SendCompletion& completion);

private:
    void CompleteSuccess(const service::OutgoingMessage& message);
    void AskForCredentialsAgain(SendCompletion& completion, platform::WindowHandle owner);
    // The plain copy in the Sent folder; a step that fails is logged and leaves the copy out.
    void PlaceSentCopy(const service::OutgoingMessage& message);
    // From Outlook 2010 the Sent folder of the account that sends; nothing when none matches.
    outlook::Ref<outlook::mapi::Folder> AccountSentFolder(const outlook::Ref<outlook::MailItem>& draft);

    outlook::Ref<outlook::Application> application_;
    ErrorNotice showError_;
};

}  // namespace sealwing::compose
