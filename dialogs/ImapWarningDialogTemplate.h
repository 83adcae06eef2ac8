#pragma once

#include <array>

#include "platform/Dialog.h"

// The IMAP warning's template (resource 223); resources/Dialogs.rc is written from it.
namespace sealwing::dialogs {

inline constexpr int kImapWarningDialogId = 223;
inline constexpr int kImapWarningDontShowId = 210;

inline constexpr const wchar_t* kImapWarningNote =
    L"Note: In certain configurations this option may cause Outlook to hang for several seconds after sending a "
    L"large message.";

inline constexpr std::array<platform::ControlTemplate, 3> kImapWarningDialogControls = {{
    {-1, platform::ControlKind::Static, kImapWarningNote, 7, 7, 176, 26},
    {kImapWarningDontShowId, platform::ControlKind::CheckBox, L"Do not show this warning for this account again", 7, 39,
     176, 10},
    {platform::kDialogOk, platform::ControlKind::DefaultButton, L"OK", 70, 57, 50, 14},
}};

inline constexpr platform::DialogTemplate kImapWarningDialogTemplate{
    .id = kImapWarningDialogId,
    .caption = L"Parcelon for Microsoft Outlook",
    .width = 190,
    .height = 78,
    .controls = kImapWarningDialogControls,
};

}  // namespace sealwing::dialogs
