#include "sim/ResponseDraft.h"

#include <utility>

#include "platform/Text.h"
#include "sim/SimAttachments.h"
#include "sim/SimFolder.h"
#include "sim/SimProps.h"
#include "sim/SimRecipient.h"
#include "sim/SimRecipients.h"

namespace sealwing::sim {
namespace {

bool IsUser(const SimRecipient& recipient, const std::wstring& userAddress) {
    const AddressBookEntry* entry = recipient.ResolvedEntry();
    const std::wstring user = platform::ToLower(userAddress);
    if (entry == nullptr) return platform::ToLower(recipient.TypedName()) == user;
    return platform::ToLower(entry->address) == user || platform::ToLower(entry->primarySmtpAddress) == user;
}

std::wstring EscapedText(const std::wstring& text) {
    std::wstring escaped;
    for (const wchar_t c : text) {
        switch (c) {
            case L'&':
                escaped += L"&amp;";
                break;
            case L'<':
                escaped += L"&lt;";
                break;
            case L'>':
                escaped += L"&gt;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

void AddressToSender(SimMailItem& original, SimMailItem& response) {
    const std::wstring address = original.Props().Text(prop::PR_SENDER_EMAIL_ADDRESS_W);
    if (address.empty()) return;
    const std::wstring name = original.Props().Text(prop::PR_SENDER_NAME_W);
    std::wstring type = original.Props().Text(prop::PR_SENDER_ADDRTYPE_W);
    if (type.empty()) type = L"SMTP";
    response.RecipientList()->AddResolved(
        AddressBookEntry{.name = name.empty() ? address : name, .address = address, .addressType = type},
        outlook::olTo);
}

}  // namespace

outlook::Ref<SimMailItem> MakeResponseDraft(std::weak_ptr<SimContext> context, const outlook::Ref<SimFolder>& drafts,
                                            SimMailItem& original, ResponseKind kind, const std::wstring& userAddress) {
    auto response = SimMailItem::Create(std::move(context), drafts);

    const bool forward = kind == ResponseKind::Forward;
    const std::wstring subject = original.Props().Text(prop::PR_SUBJECT_W);
    response->Props().SetText(prop::PR_SUBJECT_W,
                              (forward ? ResponseWording::kForwardPrefix : ResponseWording::kReplyPrefix) + subject);
    response->Props().SetText(prop::PR_BODY_W,
                              ResponseWording::kQuoteTextHeader + original.Props().Text(prop::PR_BODY_W));
    const std::wstring quoted = original.Html().empty()
                                    ? L"<p>" + EscapedText(original.Props().Text(prop::PR_BODY_W)) + L"</p>"
                                    : original.Html();
    response->SetHtml(ResponseWording::kQuoteHtmlHeader + quoted);

    if (forward) {
        for (const auto& attachment : original.AttachmentList()->List())
            response->AttachmentList()->AddCopy(*attachment);
    } else {
        AddressToSender(original, *response);
    }
    if (kind == ResponseKind::ReplyAll) {
        for (const auto& recipient : original.RecipientList()->List()) {
            const bool toOrCc = recipient->Kind() == outlook::olTo || recipient->Kind() == outlook::olCC;
            if (toOrCc && !IsUser(*recipient, userAddress)) response->RecipientList()->AddCopy(*recipient);
        }
    }
    response->MarkModified();
    return response;
}

const wchar_t* ResponseEventName(ResponseKind kind) {
    switch (kind) {
        case ResponseKind::Reply:
            return L"Reply";
        case ResponseKind::ReplyAll:
            return L"ReplyAll";
        case ResponseKind::Forward:
            return L"Forward";
    }
    return L"Reply";
}

}  // namespace sealwing::sim
