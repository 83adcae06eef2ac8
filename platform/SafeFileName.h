#pragma once

#include <string>
#include <string_view>

namespace sealwing::platform {

// A name under which a file given a foreign name (an attachment's, the service's) can be written inside a folder of
// the add-in and nowhere else, on Windows as on Linux: only the last path component is kept (after any "/", "\" or
// drive colon); characters Windows forbids in names and control characters become "_"; trailing dots and blanks,
// which Windows drops, go; a device name ("CON", "com1.txt") gets a leading "_"; an overlong name is cut, keeping
// its extension; nothing usable left gives "attachment". A plain name such as "report.pdf" stays as it is.
std::wstring SafeFileName(std::wstring_view name);

}  // namespace sealwing::platform
