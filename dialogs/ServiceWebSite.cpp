#include "dialogs/ServiceWebSite.h"

namespace sealwing::dialogs {

std::wstring AccountCreationAddress(std::wstring_view email) {
    return L"https://" + std::wstring(kServiceWebHost) + L"/#/sender/" + std::wstring(email);
}

}  // namespace sealwing::dialogs
