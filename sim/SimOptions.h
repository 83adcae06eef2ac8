#pragma once

#include <string>

namespace sealwing::sim {

// How the simulated Outlook is set up.
struct SimOptions {
    int majorVersion = 14;  // 11, 12 or 14
    // Empty: the version's usual build (OutlookVersion::DefaultBuild), so that Version() reads "12.0.0.6423".
    std::wstring build{};
    std::wstring profileName = L"Outlook";
    // The profile's user: NameSpace.CurrentUser.
    std::wstring userName = L"Sim User";
    std::wstring userAddress = L"sim.user@example.com";
    // The default store's display name.
    std::wstring storeName = L"Personal Folders";
    // Outlook 2003 writes mail in Word only when the user chose Word as the e-mail editor; 2007 and 2010 always do.
    bool wordEditsMailIn2003 = false;
};

}  // namespace sealwing::sim
