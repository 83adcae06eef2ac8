#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "settings/CredentialList.h"

namespace sealwing::settings {

// Every password known in this run, for every thread that talks to the service. Each operation holds the lock for
// one lookup or change only, never across a request or a dialog.
class PasswordCache {
public:
    static PasswordCache& Instance();

    bool HasPassword(std::wstring_view user);
    // One lookup that answers "no password" or the password, so a Forget on another thread cannot fall between a
    // check and a read.
    std::optional<std::wstring> FindPassword(std::wstring_view user);
    // Replaces the password of an existing entry or adds one.
    void SetPassword(std::wstring_view user, std::wstring_view password);
    void Forget(std::wstring_view user);
    // Start-up: the saved passwords, in order.
    void AddAll(const CredentialList& saved);

    // Tests: forgets everything.
    void ClearForTests();

private:
    std::mutex lock_;
    CredentialList entries_;
};

}  // namespace sealwing::settings
