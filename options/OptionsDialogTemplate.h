#pragma once

#include <array>

#include "platform/Dialog.h"

// The options dialog's template (resource 230); resources/Dialogs.rc is written from it.
namespace sealwing::options {

inline constexpr int kOptionsDialogId = 230;
inline constexpr int kAlertId = 201;
inline constexpr int kCopyMeId = 202;
inline constexpr int kPlaceInSentId = 203;
inline constexpr int kDestructId = 205;
inline constexpr int kSaveSettingsId = 206;
inline constexpr int kStandingId = 212;
inline constexpr int kAccountChooserId = 214;
inline constexpr int kDestructLabelId = 215;
inline constexpr int kCloseOptionsId = platform::kDialogCancel;

inline constexpr const wchar_t* kOptionsCaption = L"Parcelon for Microsoft Outlook Settings";

// The Sent-folder box as it reads for most accounts, and for an Exchange account.
inline constexpr const wchar_t* kPlaceInSentText = L"Place a copy of message in my Sent folder (unencrypted)";
inline constexpr const wchar_t* kPlaceInSentExchangeText = L"Place a copy of message in my Sent folder";

// The account's standing with the service, each filled with the address its link opens.
inline constexpr const wchar_t* kUnregisteredText =
    L"No Parcelon account has been registered for this email. To be able to send and receive Parcelon messages with "
    L"this account please click <a href=\"%s\">here</a> to register";
inline constexpr const wchar_t* kFreeAccountText =
    L"You are using a free Parcelon account. Some options are only available for users who enjoy advantages of "
    L"Parcelon Pro account. To learn more about Parcelon Pro and its benefits please click <a href=\"%s\">here</a>";
inline constexpr const wchar_t* kProAccountText = L"Thank you for using Parcelon Pro.";

// The group box is last, so that it lies beneath the controls it frames.
inline constexpr std::array<platform::ControlTemplate, 10> kOptionsDialogControls = {{
    {kAccountChooserId, platform::ControlKind::ComboBox, L"", 14, 19, 232, 100},
    {kStandingId, platform::ControlKind::Link, L"", 14, 37, 232, 34},
    {kAlertId, platform::ControlKind::CheckBox, L"Alert me when message is read", 14, 76, 232, 10},
    {kCopyMeId, platform::ControlKind::CheckBox, L"Copy me", 14, 90, 232, 10},
    {kPlaceInSentId, platform::ControlKind::CheckBox, kPlaceInSentText, 14, 104, 232, 10},
    {kDestructLabelId, platform::ControlKind::Static, L"Self-destruct:", 14, 122, 50, 8},
    {kDestructId, platform::ControlKind::ComboBox, L"", 66, 120, 80, 150},
    {kSaveSettingsId, platform::ControlKind::Button, L"Save settings", 139, 148, 60, 14},
    {kCloseOptionsId, platform::ControlKind::Button, L"Close", 203, 148, 50, 14},
    {-1, platform::ControlKind::GroupBox, L"Settings for user", 7, 7, 246, 133},
}};

inline constexpr platform::DialogTemplate kOptionsDialogTemplate{
    .id = kOptionsDialogId,
    .caption = kOptionsCaption,
    .width = 260,
    .height = 169,
    .controls = kOptionsDialogControls,
};

}  // namespace sealwing::options
