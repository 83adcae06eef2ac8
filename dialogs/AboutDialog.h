#pragma once

#include <functional>

#include "platform/Dialog.h"

namespace sealwing::dialogs {

// What the About dialog needs from the add-in above it, which wires it.
struct AboutDialogContext {
    int outlookVersion = 0;  // the running Outlook's major version (11, 12, 14)
    // Maps the Exchange accounts' addresses again (mailstore::MapExchangeAccounts), asking the user over `owner` for
    // each one unmapped on Outlook 2003. Automation errors may escape it.
    std::function<void(platform::WindowHandle owner)> mapExchangeAccounts{};
};

// The product, its version and where to register; the activity log's viewer; and, on Outlook 2003 once an Exchange
// address has been mapped, forgetting the mappings so that they are asked for again. UI thread only.
class CAboutDlg final : public platform::Dialog {
public:
    explicit CAboutDlg(AboutDialogContext context) : context_(std::move(context)) {}

    // Modal over `owner`; returns once the user has closed it.
    void Show(platform::WindowHandle owner);

    const platform::DialogTemplate& Template() const override;
    void OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>& mailbox) override;
    std::optional<int> OnCommand(platform::DialogView& view, int controlId) override;
    void OnLink(platform::DialogView& view, int controlId, std::wstring_view address) override;

private:
    void ResetMappings(platform::DialogView& view);

    AboutDialogContext context_;
};

}  // namespace sealwing::dialogs
