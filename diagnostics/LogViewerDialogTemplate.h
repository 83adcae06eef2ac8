#pragma once

#include <array>

#include "platform/Dialog.h"

// The activity-log viewer's template (resource 226); resources/Dialogs.rc is written from it.
namespace sealwing::diagnostics {

inline constexpr int kLogViewerDialogId = 226;
inline constexpr int kLogTextId = 224;
inline constexpr int kSaveLogId = 219;
// The default button closes the viewer; the dialog manager gives it IDOK.
inline constexpr int kCloseLogViewerId = platform::kDialogOk;

// The buttons come first, so the viewer opens with the focus on Close rather than with all of the text selected.
inline constexpr std::array<platform::ControlTemplate, 3> kLogViewerDialogControls = {{
    {kCloseLogViewerId, platform::ControlKind::DefaultButton, L"Close", 319, 206, 50, 14},
    {kSaveLogId, platform::ControlKind::Button, L"Save as...", 7, 206, 50, 14},
    {kLogTextId, platform::ControlKind::MultilineEdit, L"", 7, 7, 362, 190},
}};

inline constexpr platform::DialogTemplate kLogViewerDialogTemplate{
    .id = kLogViewerDialogId,
    .caption = L"Parcelon for Microsoft Outlook - Activity log",
    .width = 376,
    .height = 227,
    .controls = kLogViewerDialogControls,
};

}  // namespace sealwing::diagnostics
