#pragma once

#include <array>

#include "platform/Dialog.h"

// The crash report's template (resource 225); resources/Dialogs.rc is written from it.
namespace sealwing::diagnostics {

inline constexpr int kCrashReportDialogId = 225;
inline constexpr int kViewReportId = 219;
inline constexpr int kSendReportId = platform::kDialogOk;
inline constexpr int kDropReportId = platform::kDialogCancel;

inline constexpr const wchar_t* kCrashReportMessage =
    L"Parcelon for Microsoft Outlook has a problem and crashed. To help us diagnose and fix the problem, you can send "
    L"us a crash report.";

// Send comes first, so the dialog opens with the focus on it.
inline constexpr std::array<platform::ControlTemplate, 4> kCrashReportDialogControls = {{
    {-1, platform::ControlKind::Static, kCrashReportMessage, 7, 7, 252, 24},
    {kSendReportId, platform::ControlKind::DefaultButton, L"Send", 155, 36, 50, 14},
    {kDropReportId, platform::ControlKind::Button, L"Cancel", 209, 36, 50, 14},
    {kViewReportId, platform::ControlKind::Button, L"View content", 7, 36, 60, 14},
}};

inline constexpr platform::DialogTemplate kCrashReportDialogTemplate{
    .id = kCrashReportDialogId,
    .caption = L"Parcelon for Microsoft Outlook crash report",
    .width = 266,
    .height = 57,
    .controls = kCrashReportDialogControls,
};

}  // namespace sealwing::diagnostics
