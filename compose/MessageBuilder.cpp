#include "compose/MessageBuilder.h"

#include <string>
#include <utility>

#include "compose/AttachmentReader.h"
#include "mailstore/OutlookAccounts.h"
#include "mailstore/OutlookActions.h"
#include "outlook/ComError.h"
#include "outlook/OutlookVersion.h"
#include "platform/Platform.h"
#include "service/SessionManager.h"
#include "settings/SettingsStore.h"

namespace sealwing::compose {
namespace {

constexpr std::wstring_view kNoBreakSpace = L"\u00A0";
constexpr std::wstring_view kGoogleApps = L"Google Apps";
constexpr int kFirstVersionWithAccounts = 12;

void Append(std::wstring& list, const std::wstring& address) {
    if (!list.empty()) list += L';';
    list += address;
}

// The recipients by type. The count is read again after every recipient: resolving one can change the list.
void ReadRecipients(outlook::MailItem& item, service::OutgoingMessage& message) {
    const auto recipients = outlook::Required(item.Recipients(), L"MailItem.Recipients");
    for (int at = 1; at <= recipients->Count(); ++at) {
        const outlook::Ref<outlook::Recipient> recipient = recipients->Item(at);
        const std::wstring address = mailstore::GetRecipientSmtpAddress(recipient);
        switch (recipient->Type()) {
            case outlook::olTo:
                Append(message.recipients, address);
                break;
            case outlook::olCC:
                Append(message.recipients_cc, address);
                break;
            case outlook::olBCC:
                Append(message.recipients_bcc, address);
                break;
            default:
                break;  // the originator is no recipient
        }
    }
}

// Pro accounts send the formatted body; everybody else, and a sender whose standing cannot be told, the plain one.
std::wstring ReadBody(outlook::MailItem& item, std::wstring_view sender, platform::WindowHandle owner) {
    auto& sessions = service::SessionManager::Instance();
    std::wstring sessionId;
    const bool loggedIn = sessions.GetSession(sender, sessionId, owner) == service::ServiceResult::Success;
    const service::AccountInfo* account = loggedIn ? sessions.Account(sender) : nullptr;
    const bool pro = account != nullptr && account->type == L"pro";
    std::wstring body = pro ? item.HTMLBody() : item.Body();
    // Outlook leaves a lone no-break space in a body the user never wrote into.
    if (body == kNoBreakSpace) body.clear();
    return body;
}

void ReadAttachments(outlook::MailItem& item, service::OutgoingMessage& message) {
    const auto attachments = outlook::Required(item.Attachments(), L"MailItem.Attachments");
    for (int at = 1; at <= attachments->Count(); ++at) {
        const auto attachment = outlook::Required(attachments->Item(at), L"Attachments.Item");
        if (auto read = ReadAttachment(*attachment)) message.attachments.push_back(std::move(*read));
    }
}

// Google Apps accounts exist only where the object model lists accounts.
bool IsGoogleAppsSender(outlook::MailItem& item, std::wstring_view sender) {
    const auto application = outlook::Required(item.Application(), L"MailItem.Application");
    if (outlook::MajorVersionOf(*application) < kFirstVersionWithAccounts) return false;
    for (const mailstore::OutlookAccount& account : mailstore::ListAccounts(application, false)) {
        if (account.smtpAddress == sender && account.displayName.find(kGoogleApps) != std::wstring::npos) return true;
    }
    return false;
}

}  // namespace

service::OutgoingMessage Build(const outlook::Ref<outlook::MailItem>& item, std::wstring_view sender,
                               platform::WindowHandle owner) {
    platform::AssertUiThread(__func__);
    service::OutgoingMessage message;
    message.item = outlook::Required(item, L"the draft");
    item->Save();
    message.subject = item->Subject();
    message.email = sender.empty() ? mailstore::GetSenderAddress(item) : std::wstring(sender);
    ReadRecipients(*item, message);
    message.body = ReadBody(*item, message.email, owner);
    message.settings = settings::SettingsStore::Instance().SettingsFor(message.email);
    ReadAttachments(*item, message);
    message.googleApps = IsGoogleAppsSender(*item, message.email);
    return message;
}

}  // namespace sealwing::compose
