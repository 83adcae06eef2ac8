#pragma once

#include <string>

#include "platform/Dialog.h"

namespace sealwing::mailstore {

// Asks the user for the e-mail address of an Exchange account that Outlook 2003 knows only by its distinguished
// name. UI thread only.
class CMapEmailDlg final : public platform::Dialog {
public:
    explicit CMapEmailDlg(std::wstring accountName);

    // Modal over `owner`: platform::kDialogOk with Email() holding what was typed (possibly empty), or
    // platform::kDialogCancel (Escape, the close box) with Email() untouched.
    int Show(platform::WindowHandle owner);
    const std::wstring& Email() const { return email_; }

    const platform::DialogTemplate& Template() const override;
    void OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>& mailbox) override;
    std::optional<int> OnCommand(platform::DialogView& view, int controlId) override;

private:
    std::wstring accountName_;
    std::wstring email_;
};

}  // namespace sealwing::mailstore
