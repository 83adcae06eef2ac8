#pragma once

#include <cstdint>
#include <string>

namespace sealwing::settings {

// One account's sending options, as kept under the account's key in the current user's hive.
struct AccountSettings {
    static constexpr std::int32_t kDestructNotChosen = 999;  // no stored value yet: replaced at once on load
    static constexpr std::int32_t kNoExpiry = -1;            // sends no "expires" field

    std::int32_t alert = 0;                      // 1: the service notifies the sender when the message is read
    std::int32_t cc = 0;                         // 1: the service sends the sender a copy
    std::int32_t place = 0;                      // 1: a copy of the sent message goes to the Sent folder
    std::int32_t destruct = kDestructNotChosen;  // days until the secure message expires; 0 = never
    std::int32_t imapWarning = 1;                // 1: the IMAP account warning is still shown for this account
    bool dirty = false;
    bool loaded = true;
    std::wstring keyPath{};
};

}  // namespace sealwing::settings
