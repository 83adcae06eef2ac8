#include "platform/WebAddress.h"

#include "platform/Text.h"

namespace sealwing::platform {

bool IsWebAddress(std::wstring_view address) {
    const std::size_t colon = address.find(L':');
    if (colon == std::wstring_view::npos) return false;
    const std::wstring_view scheme = address.substr(0, colon);
    // "http:" alone, or "http:x" without the two slashes, names no host; the shell would take it for a file.
    if (address.substr(colon + 1, 2) != L"//" || address.size() <= colon + 3) return false;
    return EqualsIgnoreCase(scheme, L"http") || EqualsIgnoreCase(scheme, L"https");
}

}  // namespace sealwing::platform
