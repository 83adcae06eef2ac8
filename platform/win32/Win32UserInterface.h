#pragma once

#include "platform/UserInterface.h"

namespace sealwing::platform {

// Message boxes through MessageBoxW; the port's flag values are Windows' own.
class Win32UserInterface final : public UserInterface {
public:
    // DialogResult::None when the box could not be shown.
    DialogResult ShowMessageBox(const MessageBoxRequest& request) override;
};

}  // namespace sealwing::platform
