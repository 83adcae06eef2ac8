#pragma once

#include <string>
#include <string_view>

#include "platform/Dialog.h"
#include "settings/CredentialList.h"

namespace sealwing::dialogs {

// Asks for the password of one service account when none is cached. Offers the password saved in the credentials
// file, and keeps or drops it there as the user chooses; whatever is confirmed goes into the password cache, where
// the login takes it from. UI thread only.
class CCredentialsDlg final : public platform::Dialog {
public:
    // failedAttempts above 0 shows the red incorrect-password notice in place of the prompt.
    CCredentialsDlg(std::wstring login, int failedAttempts);

    // Modal over `owner`: platform::kDialogOk once the password is in the cache, platform::kDialogCancel otherwise.
    int Show(platform::WindowHandle owner);

    const platform::DialogTemplate& Template() const override;
    void OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>& mailbox) override;
    std::optional<int> OnCommand(platform::DialogView& view, int controlId) override;

private:
    settings::CredentialList saved_;
    bool showIncorrect_;
    std::wstring login_;
};

// The session logic's password prompt (service::SessionManager::SetPasswordPrompt): the login dialog over `owner`;
// true once the password is in the cache.
bool AskForPassword(std::wstring_view email, int failedAttempts, platform::WindowHandle owner);

}  // namespace sealwing::dialogs
