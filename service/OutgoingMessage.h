#pragma once

#include <string>
#include <vector>

#include "outlook/Ref.h"
#include "settings/AccountSettings.h"

namespace sealwing::outlook {
class MailItem;
}

namespace sealwing::service {

struct OutgoingAttachment {
    std::wstring fileName;
    std::string bytes;  // the file's content, unaltered
};

// A composed message on its way to the service: built from the compose window, queued, then sent by the worker.
struct OutgoingMessage {
    settings::AccountSettings settings{};
    outlook::Ref<outlook::MailItem> item{};  // the item it came from; only the UI thread may touch it
    bool googleApps = false;                 // the sending account is a Google Apps account
    std::wstring body{};
    std::wstring subject{};
    std::wstring recipients{};      // To addresses joined with ";"
    std::wstring recipients_cc{};   // likewise, may be empty
    std::wstring recipients_bcc{};  // likewise, may be empty
    std::wstring email{};           // the sender's e-mail address
    std::vector<OutgoingAttachment> attachments{};
};

}  // namespace sealwing::service
