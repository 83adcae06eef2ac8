#pragma once

#include <string>
#include <string_view>

#include "service/TransportEndpoint.h"

// Where the notices send the user on the service's web site: its home page, and the page that creates an account.
// The web site lives on the service's own host.
namespace sealwing::dialogs {

inline constexpr std::wstring_view kServiceWebHost = L"service.parcelon.example";
inline constexpr std::wstring_view kServiceWebSite = L"https://service.parcelon.example/";

namespace detail {
constexpr bool SameHost(std::wstring_view wide, std::string_view narrow) {
    if (wide.size() != narrow.size()) return false;
    for (std::size_t at = 0; at < wide.size(); ++at) {
        if (wide[at] != static_cast<wchar_t>(narrow[at])) return false;
    }
    return true;
}
}  // namespace detail
static_assert(detail::SameHost(kServiceWebHost, service::kServiceHost), "the web site is on the service's host");
static_assert(kServiceWebSite.find(kServiceWebHost) == 8, "the home page is https://<the service's host>/");

// "https://<host>/#/sender/<email>", the address inserted as it is.
std::wstring AccountCreationAddress(std::wstring_view email);

}  // namespace sealwing::dialogs
