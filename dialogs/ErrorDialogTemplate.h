#pragma once

#include <array>

#include "platform/Dialog.h"

// The error notice's template (resource 216); resources/Dialogs.rc is written from it.
namespace sealwing::dialogs {

inline constexpr int kErrorDialogId = 216;
inline constexpr int kErrorDetailsId = 212;

inline constexpr const wchar_t* kErrorHeading = L"There was an error while performing requested operation";

// The details are a link control: the service's explanation may carry links, which the user can follow.
inline constexpr std::array<platform::ControlTemplate, 3> kErrorDialogControls = {{
    {-1, platform::ControlKind::Static, kErrorHeading, 7, 7, 187, 16},
    {kErrorDetailsId, platform::ControlKind::Link, L"", 7, 26, 187, 30},
    {platform::kDialogOk, platform::ControlKind::DefaultButton, L"OK", 75, 60, 50, 14},
}};

inline constexpr platform::DialogTemplate kErrorDialogTemplate{
    .id = kErrorDialogId,
    .caption = L"Parcelon for Microsoft Outlook",
    .width = 201,
    .height = 81,
    .controls = kErrorDialogControls,
};

}  // namespace sealwing::dialogs
