#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "outlook/ObjectModel.h"

// What a test or the main job hands the simulated Outlook to script the world: accounts, address-book entries and
// received mail.
namespace sealwing::sim {

struct AccountSetup {
    outlook::AccountType type = outlook::olPop3;
    std::wstring displayName{};
    std::wstring smtpAddress{};
    std::wstring userName{};
    // The display name of the store the account delivers into (Account.DeliveryStore); empty: the default store.
    std::wstring deliveryStore{};
    // Account.CurrentUser.Address: for an Exchange account its SMTP address or its distinguished name
    // ("/o=.../cn=..."), even where SmtpAddress is empty; empty: the SMTP address.
    std::wstring currentUserAddress{};
    // Outlook answers Nothing for Account.DeliveryStore (an account without a store of its own) or
    // Account.CurrentUser.
    bool noDeliveryStore = false;
    bool noCurrentUser = false;

    // What the account-management service reports besides the fields above.
    // Its account id; nothing: the next number after the highest id of the profile (1 for the first).
    std::optional<std::uint32_t> accountId{};
    // Its type text; empty: "Exchange", "IMAP", "POP3", "HTTP" or "Other" after the type.
    std::wstring serviceTypeText{};
    // The provider ("GSync" for Google Apps Sync) and the provider's addresses ("a@x.com; b@x.com"); empty: absent.
    std::wstring provider{};
    std::wstring providerAddresses{};
};

// An address-book entry. Recipient.Resolve finds entries by name or address, without regard to case.
struct AddressBookEntry {
    std::wstring name{};
    std::wstring address{};  // the entry's native address: SMTP, or Exchange's "/o=.../cn=..."
    std::wstring addressType = L"SMTP";
    int userType = 30;                           // AddressEntryUserType: below 10 an Exchange kind, 30 SMTP
    std::wstring primarySmtpAddress{};           // PR_SMTP_ADDRESS_W and ExchangeUser.PrimarySmtpAddress; may be empty
    std::vector<std::wstring> proxyAddresses{};  // PR_EMS_AB_PROXY_ADDRESSES, "SMTP:primary" and "smtp:other"
};

struct AttachmentSetup {
    std::wstring fileName{};
    std::string bytes{};
};

struct ReceivedMailSetup {
    std::wstring subject{};
    std::wstring body{};
    std::wstring htmlBody{};
    std::wstring senderName{};
    std::wstring senderAddress{};
    std::wstring senderAddressType = L"SMTP";  // "EX" for an Exchange sender, whose address is "/o=.../cn=..."
    std::vector<std::wstring> to{};            // addresses; empty: the profile's user
    std::vector<std::wstring> cc{};
    // PR_TRANSPORT_MESSAGE_HEADERS_W: nothing makes a plausible block from the fields above; an empty text leaves the
    // property out, as for a message that never passed a transport.
    std::optional<std::wstring> transportHeaders{};
    std::vector<AttachmentSetup> attachments{};
    // MailItem.SentOn, in local time; nothing: the clock's time at arrival (the simulation's local time is UTC).
    std::optional<outlook::Date> sentOn{};
    bool unread = true;
    outlook::DefaultFolder folder = outlook::olFolderInbox;
    // The display name of the store it lands in; empty: the default store.
    std::wstring store{};
};

}  // namespace sealwing::sim
