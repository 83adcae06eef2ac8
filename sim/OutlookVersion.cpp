#include "sim/OutlookVersion.h"

#include <array>
#include <utility>

namespace sealwing::sim {
namespace {

constexpr int kOutlook2007 = 12;
constexpr int kOutlook2010 = 14;

// Members that appeared after Outlook 2003. Every member not listed exists in all three versions.
constexpr std::array<std::pair<std::wstring_view, int>, 9> kIntroduced = {{
    {L"NameSpace.Accounts", kOutlook2007},
    {L"NameSpace.CurrentProfileName", kOutlook2007},
    {L"MailItem.SendUsingAccount", kOutlook2007},
    {L"MAPIFolder.Store", kOutlook2007},
    {L"AddressEntry.AddressEntryUserType", kOutlook2007},
    {L"AddressEntry.GetExchangeUser", kOutlook2007},
    {L"Account.CurrentUser", kOutlook2010},
    {L"Account.DeliveryStore", kOutlook2010},
    {L"Store.GetDefaultFolder", kOutlook2010},
}};

}  // namespace

bool OutlookVersion::IsSupported(int majorVersion) {
    return majorVersion == 11 || majorVersion == kOutlook2007 || majorVersion == kOutlook2010;
}

std::wstring OutlookVersion::DefaultBuild(int majorVersion) {
    switch (majorVersion) {
        case 11:
            return L"8312";
        case kOutlook2007:
            return L"6423";
        case kOutlook2010:
            return L"4760";
        default:
            return L"0";
    }
}

std::wstring OutlookVersion::VersionText(int majorVersion, const std::wstring& build) {
    return std::to_wstring(majorVersion) + L".0.0." + build;
}

int OutlookVersion::IntroducedIn(std::wstring_view member) {
    for (const auto& [name, version] : kIntroduced) {
        if (name == member) return version;
    }
    return 0;
}

}  // namespace sealwing::sim
