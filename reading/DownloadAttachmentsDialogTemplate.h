#pragma once

#include <array>

#include "platform/Dialog.h"

// The attachment download's progress dialog (resource 227); resources/Dialogs.rc is written from it.
namespace sealwing::reading {

inline constexpr int kDownloadAttachmentsDialogId = 227;
inline constexpr int kDownloadProgressId = 225;
inline constexpr int kDownloadWaitTextId = 226;

inline constexpr std::array<platform::ControlTemplate, 3> kDownloadAttachmentsDialogControls = {{
    {kDownloadWaitTextId, platform::ControlKind::Static, L"Please wait while downloading attachments.", 7, 15, 284, 8},
    {kDownloadProgressId, platform::ControlKind::Progress, L"", 7, 29, 302, 14},
    {platform::kDialogCancel, platform::ControlKind::Button, L"Cancel", 259, 53, 50, 14},
}};

inline constexpr platform::DialogTemplate kDownloadAttachmentsDialogTemplate{
    .id = kDownloadAttachmentsDialogId,
    .caption = L"Parcelon for Microsoft Outlook",
    .width = 316,
    .height = 74,
    .controls = kDownloadAttachmentsDialogControls,
};

}  // namespace sealwing::reading
