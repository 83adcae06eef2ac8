#pragma once

#include <array>

#include "platform/Dialog.h"

// The new-version notice's template (resource 211); resources/Dialogs.rc is written from it.
namespace sealwing::dialogs {

inline constexpr int kNewVersionDialogId = 211;
inline constexpr int kNewVersionTextId = 211;
// The one button is the dialog manager's Cancel: OK, Escape and the close box all end the notice alike.
inline constexpr int kNewVersionOkId = platform::kDialogCancel;

// Filled with the information address twice, then the installer's address twice.
inline constexpr const wchar_t* kNewVersionText =
    L"New version of Parcelon for Microsoft Outlook is available. Please click here for more information about this "
    L"new release:\n<a href=\"%s\">%s</a>\n\nTo download installer please click here: \n<a href=\"%s\">%s</a>";

inline constexpr std::array<platform::ControlTemplate, 2> kNewVersionDialogControls = {{
    {kNewVersionTextId, platform::ControlKind::Link, L"", 7, 7, 203, 72},
    {kNewVersionOkId, platform::ControlKind::Button, L"OK", 83, 85, 50, 14},
}};

inline constexpr platform::DialogTemplate kNewVersionDialogTemplate{
    .id = kNewVersionDialogId,
    .caption = L"Parcelon for Microsoft Outlook",
    .width = 217,
    .height = 106,
    .controls = kNewVersionDialogControls,
};

}  // namespace sealwing::dialogs
