#pragma once

#include <string>
#include <string_view>

namespace sealwing {

inline constexpr std::wstring_view kComposeRibbonId = L"Microsoft.Outlook.Mail.Compose";
inline constexpr std::wstring_view kExplorerRibbonId = L"Microsoft.Outlook.Explorer";

// The custom-UI XML the add-in hands Office for a ribbon: the compose window's (Send Secure, Options, About) or the
// main window's (Options, About); empty for any other ribbon.
std::wstring RibbonXmlFor(std::wstring_view ribbonId);

}  // namespace sealwing
