#pragma once

#include <string>

#include "sim/SimMailItem.h"

namespace sealwing::sim {

// The user's Reply, Reply All or Forward of an item.
enum class ResponseKind { Reply, ReplyAll, Forward };

// How Outlook words and addresses a response, in one place so that a choice found wrong is corrected here.
struct ResponseWording {
    static constexpr const wchar_t* kReplyPrefix = L"RE: ";
    static constexpr const wchar_t* kForwardPrefix = L"FW: ";
    // The line Outlook puts between the response's own text and the quoted original (HTML and plain bodies).
    static constexpr const wchar_t* kQuoteHtmlHeader = L"<p>-----Original Message-----</p>";
    static constexpr const wchar_t* kQuoteTextHeader = L"\r\n-----Original Message-----\r\n";
};

// The unsaved draft Outlook makes for the response, belonging to `drafts`: the subject with
// its prefix; a reply to the sender, Reply All also to the original To (as To) and CC (as CC) recipients other than
// `userAddress` (compared without regard to case); a forward to nobody, with copies of the original's attachments;
// the bodies quoting the original.
outlook::Ref<SimMailItem> MakeResponseDraft(std::weak_ptr<SimContext> context, const outlook::Ref<SimFolder>& drafts,
                                            SimMailItem& original, ResponseKind kind, const std::wstring& userAddress);

// The ItemEvents event Outlook fires on the original for that response: L"Reply", L"ReplyAll", L"Forward".
const wchar_t* ResponseEventName(ResponseKind kind);

}  // namespace sealwing::sim
