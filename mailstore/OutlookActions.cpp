#include "mailstore/OutlookActions.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "diagnostics/FixedTexts.h"
#include "diagnostics/Log.h"
#include "mailstore/OutlookAccounts.h"
#include "outlook/Mapi.h"
#include "outlook/OutlookVersion.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"
#include "settings/SettingsStore.h"

namespace sealwing::mailstore {
namespace {

namespace mapi = outlook::mapi;

// Writes the failure to the log and tells the user once; the message stays where it is. Always false, the outcome
// of the deletion.
bool FailDeletion(const std::wstring& logLine) {
    diagnostics::LogWrite(logLine);
    platform::TheUserInterface().ShowMessageBox(
        {.text = L"There was an error while attempting to delete your secure message from drafts folder.\n"
                 L"Please contact support",
         .caption = L"Parcelon for Microsoft Outlook",
         .icon = platform::MessageBoxIcon::Error,
         .taskModal = true});
    return false;
}

std::optional<mapi::Binary> ReadBinary(mapi::Prop& object, mapi::PropTag tag) {
    mapi::PropValue value;
    if (mapi::HrGetOneProp(object, tag, value) != outlook::hr::S_Ok) return std::nullopt;
    if (const auto* bytes = std::get_if<mapi::Binary>(&value.data)) return *bytes;
    return std::nullopt;
}

bool StartsALine(std::wstring_view text, std::size_t at) {
    return at == 0 || text[at - 1] == L'\n' || text[at - 1] == L'\r';
}

}  // namespace

std::wstring GetMapiProfileName(const outlook::Ref<outlook::Application>& application) {
    platform::AssertUiThread(__func__);
    const outlook::Ref<outlook::NameSpace> session = outlook::Required(application->Session(), L"Application.Session");
    if (outlook::MajorVersionOf(*application) >= 12) return session->CurrentProfileName();

    outlook::Ref<mapi::Session> mapiSession;
    try {
        mapiSession = session->MAPIOBJECT();
    } catch (const outlook::ComError& error) {
        diagnostics::LogComError(error.Code(), diagnostics::fixed::kProfileSessionUnread);
        return {};
    }
    if (mapiSession == nullptr) {
        diagnostics::LogWrite(L"Failed to retrieve IMAPISession from pUnk\n");
        return {};
    }
    outlook::Ref<mapi::ProfileSection> section;
    if (const outlook::HResult opened = mapiSession->OpenProfileSection(mapi::pbGlobalProfileSectionGuid, section);
        outlook::Failed(opened) || section == nullptr) {
        diagnostics::LogComError(section == nullptr && !outlook::Failed(opened) ? outlook::hr::E_Fail : opened,
                                 diagnostics::fixed::kProfileSectionUnopened);
        return {};
    }
    mapi::PropValue value;
    if (const outlook::HResult read = mapi::HrGetOneProp(*section, mapi::PR_PROFILE_NAME_W, value); read != 0) {
        diagnostics::LogComError(read, diagnostics::fixed::kProfileNameUnread);
        return {};
    }
    const auto* name = std::get_if<std::wstring>(&value.data);
    return name != nullptr ? *name : std::wstring{};
}

bool DeleteMessagePermanently(const outlook::Ref<outlook::MailItem>& mail) {
    platform::AssertUiThread(__func__);
    diagnostics::LogScope scope(L"[MAPI] Deleting message permanently", diagnostics::fixed::kDeletingPermanently);
    const outlook::Ref<mapi::Message> message = mail->MAPIOBJECT();
    const outlook::Ref<mapi::Session> session =
        outlook::Required(mail->Application()->Session(), L"Application.Session")->MAPIOBJECT();
    mail->Save();  // a draft that was never saved has no entry ids yet

    const std::optional<mapi::Binary> parentId = message ? ReadBinary(*message, mapi::PR_PARENT_ENTRYID) : std::nullopt;
    if (!parentId) {
        return FailDeletion(
            L"[MAPI] Fatal error. Message cannot be deleted due to inability to retrieve "
            L"PR_PARENT_ENTRYID property.\n");
    }
    const std::optional<mapi::Binary> storeId = ReadBinary(*message, mapi::PR_STORE_ENTRYID);
    if (!storeId) {
        return FailDeletion(
            L"[MAPI] Fatal error. Message cannot be deleted due to inability to retrieve "
            L"PR_STORE_ENTRYID property.\n");
    }
    mail->Close(outlook::olSave);

    outlook::Ref<mapi::MsgStore> store;
    if (session == nullptr || session->OpenMsgStore(*storeId, store) != outlook::hr::S_Ok || store == nullptr) {
        return FailDeletion(L"[MAPI] Fatal error. Message cannot be deleted due to OpenMsgStore failure.\n");
    }
    outlook::Ref<mapi::Prop> opened;
    const outlook::HResult openResult = store->OpenEntry(*parentId, opened);
    // An entry that opens but is no folder cannot take the deletion either.
    const auto folder = std::dynamic_pointer_cast<mapi::Folder>(opened);
    if (openResult != outlook::hr::S_Ok || folder == nullptr) {
        return FailDeletion(L"[MAPI] Fatal error. Message cannot be deleted due to OpenEntry failure.\n");
    }
    const std::optional<mapi::Binary> entryId = ReadBinary(*message, mapi::PR_ENTRYID);
    if (!entryId) {
        return FailDeletion(L"[MAPI] Fatal error. Message cannot be deleted due to PR_ENTRYID retrival failure.\n");
    }
    // Anything but S_OK, a partial completion among them, means the one message may still be there: the caller
    // must not take it for gone (a draft left behind would be sent a second time).
    if (const outlook::HResult deleted = folder->DeleteMessages({*entryId}); deleted != outlook::hr::S_Ok) {
        return FailDeletion(L"[MAPI] DeleteMessages returned " + platform::HexW(static_cast<std::uint32_t>(deleted)) +
                            L"\n");
    }
    return true;
}

std::wstring GetInternetHeaderValue(std::wstring_view headerName, const outlook::Ref<outlook::MailItem>& mail) {
    platform::AssertUiThread(__func__);
    if (mail == nullptr) return {};
    outlook::Ref<mapi::Message> message;
    try {
        message = mail->MAPIOBJECT();
    } catch (const outlook::ComError& error) {
        diagnostics::LogComException(error);
        return {};
    }
    if (message == nullptr) return {};
    mapi::PropValue value;
    if (mapi::HrGetOneProp(*message, mapi::PR_TRANSPORT_MESSAGE_HEADERS_W, value) != outlook::hr::S_Ok) return {};
    const auto* text = std::get_if<std::wstring>(&value.data);
    if (text == nullptr) return {};

    return HeaderValueIn(*text, headerName);
}

std::wstring HeaderValueIn(std::wstring_view headerBlock, std::wstring_view headerName) {
    const std::wstring headers = platform::ToLower(headerBlock);
    std::size_t at = headers.find(headerName);
    while (at != std::wstring::npos && !StartsALine(headers, at)) at = headers.find(headerName, at + 1);
    if (at == std::wstring::npos) return {};
    const std::size_t start = at + headerName.size();
    const std::size_t end = headers.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) return {};
    return headers.substr(start, end - start);
}

bool IsServiceCopy(const outlook::Ref<outlook::MailItem>& mail) {
    return GetInternetHeaderValue(kServiceCopyHeader, mail) == L"true";
}

namespace {

std::vector<std::wstring> SplitEntryIds(std::wstring_view entryIds) {
    std::vector<std::wstring> ids;
    std::size_t start = 0;
    while (start <= entryIds.size()) {
        const std::size_t comma = std::min(entryIds.find(L',', start), entryIds.size());
        if (comma > start) ids.emplace_back(entryIds.substr(start, comma - start));
        start = comma + 1;
    }
    return ids;
}

outlook::Ref<outlook::Account> AccountNamed(const outlook::Ref<outlook::NameSpace>& session,
                                            const std::wstring& displayName) {
    const outlook::Ref<outlook::Accounts> accounts = outlook::Required(session->Accounts(), L"NameSpace.Accounts");
    const int count = accounts->Count();
    for (int index = 1; index <= count; ++index) {
        outlook::Ref<outlook::Account> account = accounts->Item(index);
        if (account->DisplayName() == displayName) return account;
    }
    return nullptr;
}

void ProcessNewMail(const outlook::Ref<outlook::NameSpace>& session, const std::wstring& entryId) {
    const auto item = std::dynamic_pointer_cast<outlook::MailItem>(session->GetItemFromID(entryId, L""));
    if (item == nullptr) return;
    const auto folder = std::dynamic_pointer_cast<outlook::MAPIFolder>(item->Parent());
    if (folder == nullptr) return;
    const std::wstring storeName = outlook::Required(folder->Store(), L"MAPIFolder.Store")->DisplayName();
    if (!storeName.starts_with(kGoogleAppsPrefix)) return;
    if (!IsServiceCopy(item) || !item->UnRead()) return;

    const std::wstring address = storeName.substr(kGoogleAppsPrefix.size());
    const settings::AccountSettings settings = settings::SettingsStore::Instance().SettingsFor(address);
    if (settings.place == 0) return;
    const outlook::Ref<outlook::Account> account = AccountNamed(session, storeName);
    if (account == nullptr) return;
    // The copy Outlook itself keeps of what was sent is no copy from the service.
    const outlook::Ref<outlook::Store> store = outlook::Required(account->DeliveryStore(), L"Account.DeliveryStore");
    const outlook::Ref<outlook::MAPIFolder> sent =
        outlook::Required(store->GetDefaultFolder(outlook::olFolderSentMail), L"Store.GetDefaultFolder");
    if (folder->EntryID() == sent->EntryID()) return;

    item->SetUnRead(false);
    item->Save();
    if (settings.cc == 0) DeleteMessagePermanently(item);  // a failure was logged and shown; the copy stays
}

}  // namespace

void ProcessNewGoogleAppsCopies(const outlook::Ref<outlook::NameSpace>& session, std::wstring_view entryIds) {
    platform::AssertUiThread(__func__);
    const std::vector<std::wstring> ids = SplitEntryIds(entryIds);
    if (ids.empty()) return;
    outlook::Required(session, L"Application.Session");
    for (const std::wstring& entryId : ids) ProcessNewMail(session, entryId);
}

namespace {

// The named property in which Outlook stamps a message with the Internet account it goes out through.
constexpr mapi::NamedProperty kAccountStamp{mapi::PSETID_Common, 0x8581};
// The stamp starts with the account's id.
constexpr std::size_t kStampIdLength = 8;
// AddressEntryUserType: the Exchange kinds come first (user, distribution list, public folder, ...).
constexpr int kFirstNonExchangeUserType = 10;
// The primary address among an Exchange entry's proxy addresses; "smtp:" marks the secondary ones.
constexpr std::wstring_view kPrimaryProxyPrefix = L"SMTP";
constexpr std::size_t kProxyPrefixLength = 5;  // "SMTP:"

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// The stamp's first characters read as the C library reads a decimal number: blanks, a sign, then digits up to the
// first other character; 0 when there are none.
std::int32_t StampAccountId(std::wstring_view stamp) {
    const std::wstring_view head = stamp.substr(0, kStampIdLength);
    std::size_t at = 0;
    while (at < head.size() && IsBlank(head[at])) ++at;
    bool negative = false;
    if (at < head.size() && (head[at] == L'+' || head[at] == L'-')) negative = head[at++] == L'-';
    std::int32_t id = 0;  // eight digits at most: no overflow
    for (; at < head.size() && head[at] >= L'0' && head[at] <= L'9'; ++at) id = id * 10 + (head[at] - L'0');
    return negative ? -id : id;
}

// The stamp's text; nothing when the message has none. MAPI failures are logged; a stamp that is merely absent
// comes back as a warning and is no failure.
std::optional<std::wstring> ReadAccountStamp(mapi::Message& message) {
    std::vector<mapi::PropTag> tags;
    if (const outlook::HResult mapped = message.GetIDsFromNames({kAccountStamp}, false, tags);
        outlook::Failed(mapped) || tags.empty()) {
        diagnostics::LogComError(outlook::Failed(mapped) ? mapped : outlook::hr::E_Fail,
                                 diagnostics::fixed::kAccountStampUnmapped);
        return std::nullopt;
    }
    std::vector<mapi::PropValue> values;
    const outlook::HResult read = message.GetProps({mapi::ChangePropType(tags.front(), mapi::PT_UNICODE)}, values);
    if (outlook::Failed(read)) diagnostics::LogComError(read, diagnostics::fixed::kAccountStampUnread);
    if (read != outlook::hr::S_Ok || values.empty()) return std::nullopt;
    const auto* text = std::get_if<std::wstring>(&values.front().data);
    return text != nullptr ? std::optional<std::wstring>(*text) : std::nullopt;
}

// The address of the Internet account the message's stamp names; only the account-management service knows the
// ids, so its list is asked even where the object model lists accounts.
std::wstring StampedAccountAddress(const outlook::Ref<outlook::Application>& application, outlook::MailItem& mail) {
    const outlook::Ref<mapi::Message> message = mail.MAPIOBJECT();
    if (message == nullptr) return {};
    const std::optional<std::wstring> stamp = ReadAccountStamp(*message);
    if (!stamp) return {};
    const std::int32_t id = StampAccountId(*stamp);
    const std::vector<OutlookAccount> accounts = ListAccounts(application, true);
    const OutlookAccount* stamped = nullptr;
    for (const OutlookAccount& account : accounts) {
        if (account.id == id) stamped = &account;
    }
    if (stamped == nullptr) return {};
    if (!stamped->smtpAddress.empty()) return stamped->smtpAddress;
    return GetAccountAddressByDisplayName(application, *stamped);
}

// The session's user; on an Exchange profile its address is a distinguished name, which the Exchange user turns
// into SMTP from Outlook 2007 on.
std::wstring CurrentUserAddress(outlook::MailItem& mail, int outlookVersion) {
    const outlook::Ref<outlook::NameSpace> session = mail.Session();
    if (session == nullptr) {
        diagnostics::LogWrite(L"pMail->Session is NULL. Is user logged out from Exchange?\n");
        return {};
    }
    const outlook::Ref<outlook::Recipient> user = session->CurrentUser();
    if (user == nullptr) {
        diagnostics::LogWrite(L"Session->CurrentUser is NULL\n");
        return {};
    }
    std::wstring address = user->Address();
    if (address.empty() || IsEmailAddress(address) || outlookVersion < 12) return address;
    diagnostics::LogWrite(
        L"Info is in non SMTP format. Trying pCurrentUser->AddressEntry->ExchangeUser->PrimarySmtpAddress\n");
    // Without an Exchange user the distinguished name stays, so that the address mapping can still answer.
    const outlook::Ref<outlook::AddressEntry> entry = user->AddressEntry();
    const outlook::Ref<outlook::ExchangeUser> exchangeUser = entry ? entry->GetExchangeUser() : nullptr;
    if (exchangeUser != nullptr) address = exchangeUser->PrimarySmtpAddress();
    return address;
}

std::wstring MappedAddress(const std::wstring& exchangeAddress) {
    return settings::SettingsStore::Instance().MappedAddress(exchangeAddress);
}

// The primary SMTP address an Exchange entry's MAPI properties carry; `address` when they carry none.
std::wstring MailUserSmtpAddress(mapi::MailUser& user, std::wstring address) {
    mapi::PropValue value;
    if (mapi::HrGetOneProp(user, mapi::PR_SMTP_ADDRESS_W, value) == outlook::hr::S_Ok) {
        if (const auto* text = std::get_if<std::wstring>(&value.data)) address = *text;
        return address;
    }
    if (mapi::HrGetOneProp(user, mapi::PR_EMS_AB_PROXY_ADDRESSES, value) != outlook::hr::S_Ok) return address;
    if (const auto* proxies = std::get_if<std::vector<std::wstring>>(&value.data)) {
        for (const std::wstring& proxy : *proxies) {
            if (proxy.starts_with(kPrimaryProxyPrefix)) {
                address = proxy.substr(std::min(kProxyPrefixLength, proxy.size()));
            }
        }
    }
    return address;
}

}  // namespace

std::wstring GetSenderAddress(const outlook::Ref<outlook::MailItem>& mail) {
    platform::AssertUiThread(__func__);
    diagnostics::LogScope scope(L"[MAPI] Getting sender information", diagnostics::fixed::kGettingSenderInformation);
    const outlook::Ref<outlook::Application> application = mail->Application();
    const int version = outlook::MajorVersionOf(*application);
    std::wstring address;
    if (version > 11) {
        diagnostics::LogWrite(L"Trying to get sender info from pMail->SendUsingAccount->SmtpAddress\n");
        if (const outlook::Ref<outlook::Account> account = mail->SendUsingAccount()) address = account->SmtpAddress();
    }
    if (address.empty()) {
        diagnostics::LogWrite(L"Trying to get sender info from 0x8581 property\n");
        address = StampedAccountAddress(application, *mail);
    }
    if (address.empty()) {
        diagnostics::LogWrite(L"Trying to get sender info from pCurrentUser->Address\n");
        address = CurrentUserAddress(*mail, version);
    }
    if (!address.empty() && !IsEmailAddress(address)) {
        diagnostics::LogWrite(address + L" is not an email! Verifying LDAP table\n");
        address = MappedAddress(address);
        diagnostics::LogWrite(L"LDAP response is " + address + L"\n");
    }
    if (address.empty()) diagnostics::LogWrite(L"WARNING! All attempts to retrieve sender info failed!\n");
    return address;
}

std::wstring GetAccountAddressByDisplayName(const outlook::Ref<outlook::Application>& application,
                                            const OutlookAccount& account) {
    platform::AssertUiThread(__func__);
    diagnostics::LogScope scope(L"Getting deep info about account address", diagnostics::fixed::kDeepAccountInfo);
    // Account.CurrentUser came with Outlook 2010.
    if (outlook::MajorVersionOf(*application) < 13) return {};
    const outlook::Ref<outlook::Account> named = LastAccountNamed(application, account.displayName);
    if (named == nullptr) return {};
    const outlook::Ref<outlook::Recipient> user = named->CurrentUser();
    return user != nullptr ? user->Address() : std::wstring{};
}

std::wstring GetReceiverAddress(const outlook::Ref<outlook::MailItem>& mail) {
    platform::AssertUiThread(__func__);
    diagnostics::LogScope scope(L"[MAPI] Retrieving info about message receiver",
                                diagnostics::fixed::kRetrievingReceiver);
    std::wstring address;
    if (outlook::MajorVersionOf(*mail->Application()) > 11) {
        if (const outlook::Ref<outlook::Account> account = mail->SendUsingAccount()) address = account->SmtpAddress();
    }
    if (!address.empty()) return address;

    diagnostics::LogWrite(L"pMail->SendUsingAccount->SmtpAddress failed. Retrieving PR_RECEIVED_BY_EMAIL_ADDRESS_W\n");
    const outlook::Ref<mapi::Message> message = mail->MAPIOBJECT();
    mapi::PropValue value;
    const outlook::HResult read = message != nullptr
                                      ? mapi::HrGetOneProp(*message, mapi::PR_RECEIVED_BY_EMAIL_ADDRESS_W, value)
                                      : outlook::hr::E_NoInterface;
    if (read != outlook::hr::S_Ok) {
        diagnostics::LogWrite(L"Getting PR_RECEIVED_BY_EMAIL_ADDRESS_W failed. Error code is " +
                              platform::HexW(static_cast<std::uint32_t>(read)));
    } else if (const auto* text = std::get_if<std::wstring>(&value.data)) {
        address = *text;
    }
    // An Exchange mailbox receives under its distinguished name.
    if (!IsEmailAddress(address)) address = MappedAddress(address);
    return address;
}

std::wstring GetRecipientSmtpAddress(const outlook::Ref<outlook::Recipient>& recipient) {
    platform::AssertUiThread(__func__);
    std::wstring address;
    if (outlook::MajorVersionOf(*recipient->Application()) > 11 && recipient->Resolve()) {
        const outlook::Ref<outlook::AddressEntry> entry = recipient->AddressEntry();
        if (entry != nullptr && entry->AddressEntryUserType() < kFirstNonExchangeUserType) {
            if (const outlook::Ref<outlook::ExchangeUser> user = entry->GetExchangeUser()) {
                address = user->PrimarySmtpAddress();
            }
        }
    }
    if (address.empty()) address = recipient->Address();
    if (!address.empty() && IsEmailAddress(address)) return address;

    // Outlook 2003 has no Exchange user: the address book's own properties name the SMTP address.
    recipient->Resolve();
    const outlook::Ref<outlook::AddressEntry> entry = recipient->AddressEntry();
    const outlook::Ref<mapi::MailUser> user = entry != nullptr ? entry->MAPIOBJECT() : nullptr;
    if (user == nullptr) return address;
    return MailUserSmtpAddress(*user, std::move(address));
}

}  // namespace sealwing::mailstore
