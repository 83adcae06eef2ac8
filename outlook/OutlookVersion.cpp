#include "outlook/OutlookVersion.h"

namespace sealwing::outlook {

int MajorVersionOf(std::wstring_view version) {
    int major = 0;
    for (const wchar_t c : version) {
        if (c < L'0' || c > L'9') break;
        major = major * 10 + (c - L'0');
        if (major > 100000) break;  // no version is that long; stop before the number overflows
    }
    return major;
}

int MajorVersionOf(Application& application) { return MajorVersionOf(application.Version()); }

}  // namespace sealwing::outlook
