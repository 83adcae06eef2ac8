#pragma once

#include <array>

#include "platform/Dialog.h"

// The Exchange e-mail dialog's template (resource 224); resources/Dialogs.rc is written from it.
namespace sealwing::mailstore {

inline constexpr int kMapEmailDialogId = 224;
inline constexpr int kMapEmailAccountFieldId = 221;
inline constexpr int kMapEmailAddressFieldId = 222;

inline constexpr std::array<platform::ControlTemplate, 4> kMapEmailDialogControls = {{
    {-1, platform::ControlKind::Static, L"Please enter email for the following exchange account:", 7, 7, 224, 8},
    {kMapEmailAccountFieldId, platform::ControlKind::ReadOnlyEdit, L"", 7, 20, 224, 14},
    {kMapEmailAddressFieldId, platform::ControlKind::Edit, L"", 7, 45, 224, 14},
    {platform::kDialogOk, platform::ControlKind::DefaultButton, L"OK", 94, 73, 50, 14},
}};

inline constexpr platform::DialogTemplate kMapEmailDialogTemplate{
    .id = kMapEmailDialogId,
    .caption = L"Parcelon for Microsoft Outlook",
    .width = 238,
    .height = 97,
    .controls = kMapEmailDialogControls,
};

}  // namespace sealwing::mailstore
