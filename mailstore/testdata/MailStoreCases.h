#pragma once

#include <string>
#include <vector>

#include "sim/SimOutlook.h"

// The mail store's case tables, run twice: natively on the simulated Outlook's objects, and under Wine through the
// COM adapters over the same objects served as IDispatch and MAPI interfaces. One table for both keeps the two paths
// from drifting apart.
namespace sealwing::mailstore::cases {

// A store failure DeleteMessagePermanently meets, and the line it must log for it.
struct DeletionFailure {
    const wchar_t* member;  // the simulated member that fails with E_FAIL
    const char* line;
};
inline const std::vector<DeletionFailure>& DeletionFailures() {
    static const std::vector<DeletionFailure> failures = {
        {L"Message.GetProps",
         "[MAPI] Fatal error. Message cannot be deleted due to inability to retrieve PR_PARENT_ENTRYID property.\n"},
        {L"Session.OpenMsgStore", "[MAPI] Fatal error. Message cannot be deleted due to OpenMsgStore failure.\n"},
        {L"MsgStore.OpenEntry", "[MAPI] Fatal error. Message cannot be deleted due to OpenEntry failure.\n"},
        {L"Folder.DeleteMessages", "[MAPI] DeleteMessages returned 80004005\n"},
    };
    return failures;
}

// A received message's Internet headers and what GetInternetHeaderValue reads from them for the message-id header.
struct HeaderCase {
    const char* name;
    const wchar_t* headers;
    const wchar_t* value;
};
inline const std::vector<HeaderCase>& MessageIdHeaders() {
    static const std::vector<HeaderCase> headers = {
        {"mixed case", L"Received: x\r\nX-Parcelon-Message-ID: AbC-12 \r\nSubject: s\r\n", L"abc-12 "},
        {"first line", L"x-parcelon-message-id: m1\nTo: a\n", L"m1"},
        {"last line without an end", L"To: a\r\nx-parcelon-message-id: m1", L""},
        {"quoted in the subject", L"Subject: re: x-parcelon-message-id: forged\r\n", L""},
        {"quoted, then real", L"Subject: x-parcelon-message-id: forged\r\nx-parcelon-message-id: real\r\n", L"real"},
        {"absent", L"Subject: s\r\n", L""},
    };
    return headers;
}

// Exchange entries of the address book, and the SMTP address GetRecipientSmtpAddress finds for each recipient.
inline void AddExchangeEntries(sim::SimOutlook& outlook) {
    const auto exchange = [](std::wstring name, std::wstring primary, std::vector<std::wstring> proxies) {
        return sim::AddressBookEntry{name, L"/o=Org/cn=" + name, L"EX", 0, std::move(primary), std::move(proxies)};
    };
    outlook.AddAddressBookEntry(exchange(L"ann", L"ann@corp.example", {L"smtp:ann2@corp.example"}));
    outlook.AddAddressBookEntry(exchange(L"proxied", L"",
                                         {L"smtp:old@corp.example", L"SMTP:first@corp.example", L"X400:c=us;a=;p=org",
                                          L"SMTP:last@corp.example", L"smtp:later@corp.example"}));
    outlook.AddAddressBookEntry(exchange(L"secondary", L"", {L"smtp:a@corp.example", L"smtp:b@corp.example"}));
    outlook.AddAddressBookEntry(exchange(L"bare", L"", {}));
}
struct RecipientCase {
    const wchar_t* recipient;
    const wchar_t* address;
};
inline const std::vector<RecipientCase>& RecipientAddresses() {
    static const std::vector<RecipientCase> recipients = {
        {L"ann", L"ann@corp.example"},
        {L"proxied", L"last@corp.example"},        // the last upper-case "SMTP:" entry
        {L"secondary", L"/o=Org/cn=secondary"},    // "smtp:" entries are not the primary address
        {L"bare", L"/o=Org/cn=bare"},              // no proxy addresses at all
        {L"bob@example.com", L"bob@example.com"},  // a one-off SMTP address
    };
    return recipients;
}

}  // namespace sealwing::mailstore::cases
