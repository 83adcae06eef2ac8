#pragma once

#include <string>

#include "platform/Dialog.h"

namespace sealwing::dialogs {

// Tells the user that the account must first be created on the service, and offers to create it in the browser.
// Shown by the reading side with a "Do not show this warning again" box, and by the sending side without one.
// UI thread only.
class CAccountRequiredDlg final : public platform::Dialog {
public:
    CAccountRequiredDlg(std::wstring email, bool forSending) : email_(std::move(email)), forSending_(forSending) {}

    // Modal over `owner`; returns whether "Do not show this warning again" was ticked (never, for sending, whose
    // notice hides the box; nor when the notice could not be shown).
    bool Show(platform::WindowHandle owner);

    const platform::DialogTemplate& Template() const override;
    void OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>& mailbox) override;
    std::optional<int> OnCommand(platform::DialogView& view, int controlId) override;
    std::optional<int> OnClose(platform::DialogView& view) override;

private:
    std::wstring email_;
    bool forSending_;
    bool dontShowAgain_ = false;
};

// The reading side's notice: a ticked box silences it for good ("SupressUnregWarnings").
void ShowAccountRequiredForReading(platform::WindowHandle owner, const std::wstring& email);
// The sending side's notice: no box, nothing stored.
void ShowAccountRequiredForSending(platform::WindowHandle owner, const std::wstring& email);

}  // namespace sealwing::dialogs
