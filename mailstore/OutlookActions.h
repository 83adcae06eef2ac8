#pragma once

#include <string>
#include <string_view>

#include "addin/outlook/ObjectModel.h"

// What the add-in does below Outlook's object model, in the message store through Extended MAPI. UI thread only.
namespace sealwing::mailstore {

inline constexpr const wchar_t* kMessageIdHeader = L"x-parcelon-message-id: ";
inline constexpr const wchar_t* kServiceCopyHeader = L"x-parcelon-copy: ";

// The MAPI profile's name: NameSpace.CurrentProfileName from Outlook 2007 on, the global profile section's
// PR_PROFILE_NAME_W on Outlook 2003. Empty when it cannot be read (logged); automation errors of the object model go
// to the caller.
std::wstring GetMapiProfileName(const outlook::Ref<outlook::Application>& application);

// Saves the item, then deletes it from its folder for good, past Deleted Items. A failure in the store is logged and
// shown to the user once, and leaves the message where it is; an automation error of Save or Close goes to the
// caller.
void DeleteMessagePermanently(const outlook::Ref<outlook::MailItem>& mail);

// The value of one Internet header of a received message, lower-cased and untrimmed; empty when the item, its
// headers or that header is missing. `headerName` is lower case with its colon and blank ("x-parcelon-copy: ") and
// matches only at the start of a header line, so a subject or body that merely quotes it is not taken for it.
std::wstring GetInternetHeaderValue(std::wstring_view headerName, const outlook::Ref<outlook::MailItem>& mail);

// A copy of the user's own secure message that the service delivered back.
bool IsServiceCopy(const outlook::Ref<outlook::MailItem>& mail);

// New mail (the comma-separated entry ids of NewMailEx) in a Google Apps store: a copy of the user's own secure
// message is marked read, and deleted for good unless the account asks the service for copies. Only for profiles
// with a Google Apps account, from Outlook 2007 on; the caller checks both. Automation errors of the session, its
// accounts or the sent folder go to the caller.
void ProcessNewGoogleAppsCopies(const outlook::Ref<outlook::NameSpace>& session, std::wstring_view entryIds);

}  // namespace sealwing::mailstore
