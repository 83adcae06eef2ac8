#pragma once

#include <string>
#include <string_view>

#include "mailstore/OutlookAccounts.h"
#include "outlook/ObjectModel.h"

// What the add-in does below Outlook's object model, in the message store through Extended MAPI. UI thread only.
namespace sealwing::mailstore {

inline constexpr const wchar_t* kMessageIdHeader = L"x-parcelon-message-id: ";
inline constexpr const wchar_t* kServiceCopyHeader = L"x-parcelon-copy: ";

// The MAPI profile's name: NameSpace.CurrentProfileName from Outlook 2007 on, the global profile section's
// PR_PROFILE_NAME_W on Outlook 2003. Empty when it cannot be read (logged); automation errors of the object model go
// to the caller.
std::wstring GetMapiProfileName(const outlook::Ref<outlook::Application>& application);

// Saves the item, then deletes it from its folder for good, past Deleted Items; true when the store confirmed the
// deletion. A failure in the store, DeleteMessages' own included, is logged and shown to the user once, leaves the
// message where it is and gives false; an automation error of Save or Close goes to the caller.
bool DeleteMessagePermanently(const outlook::Ref<outlook::MailItem>& mail);

// The value of one Internet header of a received message, lower-cased and untrimmed; empty when the item, its
// headers or that header is missing. `headerName` is lower case with its colon and blank ("x-parcelon-copy: ") and
// matches only at the start of a header line, so a subject or body that merely quotes it is not taken for it.
std::wstring GetInternetHeaderValue(std::wstring_view headerName, const outlook::Ref<outlook::MailItem>& mail);
// The same, from a header block already read: lower-cased, from the first line that starts with `headerName` up to
// that line's end; empty when no such line ends.
std::wstring HeaderValueIn(std::wstring_view headerBlock, std::wstring_view headerName);

// A copy of the user's own secure message that the service delivered back.
bool IsServiceCopy(const outlook::Ref<outlook::MailItem>& mail);

// New mail (the comma-separated entry ids of NewMailEx) in a Google Apps store: a copy of the user's own secure
// message is marked read, and deleted for good unless the account asks the service for copies. Only for profiles
// with a Google Apps account, from Outlook 2010 on (Account.DeliveryStore); the caller checks both. Automation
// errors of the session, its accounts or the sent folder go to the caller.
void ProcessNewGoogleAppsCopies(const outlook::Ref<outlook::NameSpace>& session, std::wstring_view entryIds);

// Who sends and who received: each resolver below tries a fixed chain of sources, writes every step to the activity
// log and may come back empty, which the caller handles. Automation errors of the object model go to the caller;
// failed MAPI reads are logged and the chain goes on.

// The SMTP address of the account that sends the item: its SendUsingAccount (Outlook 2007 on), else the Internet
// account its stamp names, else the session's current user; an Exchange distinguished name is looked up in the
// address mapping.
std::wstring GetSenderAddress(const outlook::Ref<outlook::MailItem>& mail);

// CurrentUser.Address of the last object-model account with the account's display name; empty before Outlook 2010,
// whose accounts have no CurrentUser, and when no account has that name.
std::wstring GetAccountAddressByDisplayName(const outlook::Ref<outlook::Application>& application,
                                            const OutlookAccount& account);

// The SMTP address of the account that received the item: its SendUsingAccount (Outlook 2007 on), else the
// message's PR_RECEIVED_BY_EMAIL_ADDRESS_W, whose Exchange form is looked up in the address mapping.
std::wstring GetReceiverAddress(const outlook::Ref<outlook::MailItem>& mail);

// The recipient's SMTP address: an Exchange user's primary address (Outlook 2007 on), else its address when that is
// an e-mail address, else the address entry's PR_SMTP_ADDRESS_W or primary ("SMTP:") proxy address.
std::wstring GetRecipientSmtpAddress(const outlook::Ref<outlook::Recipient>& recipient);

}  // namespace sealwing::mailstore
