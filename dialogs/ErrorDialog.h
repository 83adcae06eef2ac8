#pragma once

#include <string>
#include <string_view>

#include "platform/Dialog.h"

namespace sealwing::dialogs {

// Tells the user that an operation failed, with the service's explanation, whose links (<a href="...">) can be
// clicked to open them in the browser. UI thread only.
class CErrorDlg final : public platform::Dialog {
public:
    explicit CErrorDlg(std::wstring text) : text_(std::move(text)) {}

    // Modal over `owner`: platform::kDialogOk for OK, platform::kDialogCancel for Escape or the close box.
    int Show(platform::WindowHandle owner);

    const platform::DialogTemplate& Template() const override;
    void OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>& mailbox) override;
    std::optional<int> OnCommand(platform::DialogView& view, int controlId) override;
    void OnLink(platform::DialogView& view, int controlId, std::wstring_view address) override;

private:
    std::wstring text_;
};

// Shows the error notice with `text` (link markup allowed) over `owner` and returns once the user has closed it.
void ShowErrorNotice(platform::WindowHandle owner, const std::wstring& text);

}  // namespace sealwing::dialogs
