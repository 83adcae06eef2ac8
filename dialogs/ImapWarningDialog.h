#pragma once

#include "platform/Dialog.h"

namespace sealwing::dialogs {

// Warns that placing a copy in the Sent folder of an IMAP account may make Outlook hang after a large message, and
// lets the user silence the warning for that account. UI thread only.
class CIMAPWarningDlg final : public platform::Dialog {
public:
    // Modal over `owner`; returns whether "Do not show this warning for this account again" was ticked, however the
    // dialog was ended (false when it could not be shown).
    bool Show(platform::WindowHandle owner);

    const platform::DialogTemplate& Template() const override;
    void OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>& mailbox) override;
    std::optional<int> OnCommand(platform::DialogView& view, int controlId) override;
    std::optional<int> OnClose(platform::DialogView& view) override;

private:
    bool dontShowAgain_ = false;
};

}  // namespace sealwing::dialogs
