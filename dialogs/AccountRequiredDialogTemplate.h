#pragma once

#include <array>

#include "platform/Dialog.h"

// The account-required notice's template (resource 213); resources/Dialogs.rc is written from it.
namespace sealwing::dialogs {

inline constexpr int kAccountRequiredDialogId = 213;
inline constexpr int kAccountRequiredMessageId = 220;
inline constexpr int kAccountRequiredDontShowId = 210;
inline constexpr int kCreateAccountId = platform::kDialogOk;
inline constexpr int kCloseAccountRequiredId = platform::kDialogCancel;

// Filled with the account's e-mail address.
inline constexpr const wchar_t* kAccountRequiredForSendingText =
    L"To send this encrypted message please first create a Parcelon account for %s.";
inline constexpr const wchar_t* kAccountRequiredForReadingText =
    L"To view this encrypted message directly in Outlook please first create a Parcelon account for %s.";

inline constexpr std::array<platform::ControlTemplate, 4> kAccountRequiredDialogControls = {{
    {kAccountRequiredMessageId, platform::ControlKind::Static, L"", 7, 7, 202, 24},
    {kAccountRequiredDontShowId, platform::ControlKind::CheckBox, L"Do not show this warning again", 7, 36, 202, 10},
    {kCreateAccountId, platform::ControlKind::DefaultButton, L"Create account", 99, 54, 60, 14},
    {kCloseAccountRequiredId, platform::ControlKind::Button, L"Close", 163, 54, 46, 14},
}};

inline constexpr platform::DialogTemplate kAccountRequiredDialogTemplate{
    .id = kAccountRequiredDialogId,
    .caption = L"Parcelon for Microsoft Outlook",
    .width = 216,
    .height = 75,
    .topmost = true,
    .controls = kAccountRequiredDialogControls,
};

}  // namespace sealwing::dialogs
