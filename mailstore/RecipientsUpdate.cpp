#include "mailstore/RecipientsUpdate.h"

#include <vector>

#include "diagnostics/FixedTexts.h"
#include "diagnostics/Log.h"
#include "mailstore/OutlookActions.h"
#include "service/ServiceOperations.h"
#include "xml/XmlDocument.h"

namespace sealwing::mailstore {
namespace {

void LogDownloadFailure(const std::vector<std::wstring>& explanations) {
    std::wstring line = L"Unable to download original encrypted message.\n Server response is:";
    if (explanations.empty()) line += L" none\n";
    for (const auto& explanation : explanations) line += L"\n" + explanation;
    diagnostics::LogWrite(line);
}

}  // namespace

bool UpdateRecipientsFromService(const outlook::Ref<outlook::MailItem>& item, std::wstring messageId) {
    if (item == nullptr) return false;
    if (messageId.empty()) messageId = GetInternetHeaderValue(kMessageIdHeader, item);
    if (messageId.empty()) return false;
    diagnostics::LogScope scope(L"Updating recipients", diagnostics::fixed::kUpdatingRecipients);

    const auto properties = item->UserProperties();
    if (properties == nullptr) {
        diagnostics::LogWrite(L"WARNING! GetUserProperties returned NULL\n");
        return false;
    }
    if (properties->Find(kRecipientsUpdatedProperty) != nullptr) return false;

    service::SecureMessage message;
    std::vector<std::wstring> explanations;
    if (service::DownloadMessage(messageId, GetReceiverAddress(item), message, explanations) !=
        service::ServiceResult::Success) {
        LogDownloadFailure(explanations);
        return false;
    }

    const auto recipients = outlook::Required(item->Recipients(), L"MailItem.Recipients");
    // The service keeps the addresses as its XML carries them: an apostrophe in an address arrives as "&apos;".
    if (!message.to.empty()) {
        for (int index = recipients->Count(); index >= 1; --index) recipients->Remove(index);
        for (const auto& address : message.to) recipients->Add(xml::ConvertBack(address));
    }
    for (const auto& address : message.cc) {
        outlook::Required(recipients->Add(xml::ConvertBack(address)), L"Recipients.Add")->SetType(outlook::olCC);
    }
    properties->Add(kRecipientsUpdatedProperty, outlook::olYesNo, false, 0);
    item->Save();
    return true;
}

}  // namespace sealwing::mailstore
