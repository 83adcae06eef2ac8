#pragma once

#include <string>
#include <string_view>

namespace sealwing::sim {

// What differs between the simulated Outlook versions, kept in one table: the build numbers and the members that a
// version lacks (they fail as an unknown name through IDispatch would).
class OutlookVersion {
public:
    // 11 (2003), 12 (2007) and 14 (2010).
    static bool IsSupported(int majorVersion);
    // The build that Application.Version reports when none is chosen.
    static std::wstring DefaultBuild(int majorVersion);
    // "major.0.0.build".
    static std::wstring VersionText(int majorVersion, const std::wstring& build);
    // The first version that has the member ("Interface.Member"); 0 for members every version has.
    static int IntroducedIn(std::wstring_view member);
    static bool Has(int majorVersion, std::wstring_view member) { return majorVersion >= IntroducedIn(member); }
};

}  // namespace sealwing::sim
