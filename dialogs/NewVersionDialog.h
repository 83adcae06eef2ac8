#pragma once

#include "platform/Dialog.h"
#include "service/ServiceRecords.h"

namespace sealwing::dialogs {

// Announces a newer add-in with links to its release notes and its installer, which open in the browser. UI thread
// only.
class CNewVersionDlg final : public platform::Dialog {
public:
    explicit CNewVersionDlg(service::VersionInfo offered) : offered_(std::move(offered)) {}

    // Modal over `owner`; returns once the user has closed it.
    void Show(platform::WindowHandle owner);

    const platform::DialogTemplate& Template() const override;
    void OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>& mailbox) override;
    std::optional<int> OnCommand(platform::DialogView& view, int controlId) override;
    void OnLink(platform::DialogView& view, int controlId, std::wstring_view address) override;

private:
    service::VersionInfo offered_;
};

}  // namespace sealwing::dialogs
