#pragma once

#include <array>

#include "platform/Dialog.h"

// The login dialog's template (resource 204); resources/Dialogs.rc is written from it.
namespace sealwing::dialogs {

inline constexpr int kLoginDialogId = 204;
inline constexpr int kLoginPromptId = 213;
inline constexpr int kLoginFieldId = 207;
inline constexpr int kPasswordFieldId = 208;
inline constexpr int kSavePasswordId = 210;

inline constexpr const wchar_t* kLoginPromptText = L"Please enter your password to log in to Parcelon";
inline constexpr const wchar_t* kPasswordIncorrectText = L"The password entered is incorrect";

inline constexpr std::array<platform::ControlTemplate, 8> kLoginDialogControls = {{
    {kLoginPromptId, platform::ControlKind::Static, kLoginPromptText, 7, 7, 187, 16},
    {-1, platform::ControlKind::Static, L"Login", 7, 32, 40, 8},
    {kLoginFieldId, platform::ControlKind::ReadOnlyEdit, L"", 50, 30, 144, 14},
    {-1, platform::ControlKind::Static, L"Password", 7, 52, 40, 8},
    {kPasswordFieldId, platform::ControlKind::PasswordEdit, L"", 50, 50, 144, 14},
    {kSavePasswordId, platform::ControlKind::CheckBox, L"Save password", 50, 70, 144, 10},
    {platform::kDialogOk, platform::ControlKind::DefaultButton, L"OK", 90, 105, 50, 14},
    {platform::kDialogCancel, platform::ControlKind::Button, L"Cancel", 144, 105, 50, 14},
}};

inline constexpr platform::DialogTemplate kLoginDialogTemplate{
    .id = kLoginDialogId,
    .caption = L"Parcelon Login",
    .width = 201,
    .height = 126,
    .topmost = true,
    .controls = kLoginDialogControls,
};

}  // namespace sealwing::dialogs
