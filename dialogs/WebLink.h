#pragma once

#include <string_view>

namespace sealwing::dialogs {

// Opens a link that a notice shows, in the user's browser through the user-interface port, when it is a web address
// (platform::IsWebAddress); anything else is refused with a warning in the activity log. Notice texts carry the
// service's own markup, so a link may name whatever the service, or whoever fed it, put there.
void OpenWebLink(std::wstring_view address);

}  // namespace sealwing::dialogs
