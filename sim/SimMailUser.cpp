#include "sim/SimMailUser.h"

#include <utility>

#include "sim/SimProps.h"

namespace sealwing::sim {

namespace mapi = outlook::mapi;

SimMailUser::SimMailUser(std::weak_ptr<SimContext> context, const AddressBookEntry& entry)
    : SimMapiProp(std::move(context), L"MailUser") {
    props_.SetText(prop::PR_DISPLAY_NAME_W, entry.name);
    props_.SetText(prop::PR_ADDRTYPE_W, entry.addressType);
    props_.SetText(prop::PR_EMAIL_ADDRESS_W, entry.address);
    if (!entry.primarySmtpAddress.empty()) props_.SetText(mapi::PR_SMTP_ADDRESS_W, entry.primarySmtpAddress);
    if (!entry.proxyAddresses.empty())
        props_.Set(mapi::PropValue{mapi::PR_EMS_AB_PROXY_ADDRESSES, entry.proxyAddresses});
}

std::optional<mapi::PropValue> SimMailUser::Read(mapi::PropTag tag) { return props_.Find(tag); }

}  // namespace sealwing::sim
