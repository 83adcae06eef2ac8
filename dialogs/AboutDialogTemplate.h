#pragma once

#include <array>
#include <string_view>

#include "SealwingVersion.h"
#include "dialogs/ServiceWebSite.h"
#include "platform/Dialog.h"

// The About dialog's template (resource 215); resources/Dialogs.rc is written from it.
namespace sealwing::dialogs {

inline constexpr int kAboutDialogId = 215;
inline constexpr int kAboutTextId = 216;
inline constexpr int kRegistrationLinkId = 212;
inline constexpr int kResetMappingsId = 223;
inline constexpr int kViewLogId = 219;
inline constexpr int kCloseAboutId = platform::kDialogOk;

// The about text (the add-in's rich text 208), in the rich-edit control's own format, read in the default code page:
// the product, its version from the build, and the service's web site, which the control shows as a link.
inline constexpr int kAboutRichTextId = 208;
inline constexpr std::string_view kAboutRichText =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss MS Shell Dlg;}}\\f0\\fs16"
    "{\\b\\fs20 Parcelon for Microsoft Outlook}\\par\n"
    "Version: " SEALWING_VERSION_TEXT
    "\\par\n"
    "\\par\n"
    "Secure e-mail from Outlook: send, read, reply to and forward encrypted messages.\\par\n"
    "https://service.parcelon.example/\\par\n"
    "}";
static_assert(kAboutRichText.find("https://service.parcelon.example/") != std::string_view::npos);

inline constexpr const wchar_t* kRegistrationText =
    L"To use Parcelon for Microsoft Outlook,\nyou need to be registered at <a "
    L"href=\"https://service.parcelon.example/\">service.parcelon.example</a>";
static_assert(std::wstring_view(kRegistrationText).find(kServiceWebSite) != std::wstring_view::npos);

// Close comes first, so the dialog opens with the focus on it.
inline constexpr std::array<platform::ControlTemplate, 5> kAboutDialogControls = {{
    {kCloseAboutId, platform::ControlKind::DefaultButton, L"Close", 181, 121, 50, 14},
    {kAboutTextId, platform::ControlKind::RichEdit, L"", 7, 7, 224, 68},
    {kRegistrationLinkId, platform::ControlKind::Link, kRegistrationText, 7, 80, 224, 18},
    {kViewLogId, platform::ControlKind::Button, L"View activity log", 7, 102, 80, 14},
    {kResetMappingsId, platform::ControlKind::Button, L"Reset emails for exchange accounts", 7, 121, 130, 14},
}};

inline constexpr platform::DialogTemplate kAboutDialogTemplate{
    .id = kAboutDialogId,
    .caption = L"Parcelon for Microsoft Outlook",
    .width = 238,
    .height = 142,
    .controls = kAboutDialogControls,
};

}  // namespace sealwing::dialogs
