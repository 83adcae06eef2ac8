#pragma once

#include <string_view>

namespace sealwing::platform {

// Whether `address` is one the add-in may hand to the shell to open: an http or https address (the scheme in any
// case). The shell opens anything else too (a program's path, a document, "file:" and "javascript:" addresses), and
// link texts come from the service, so nothing else is ever opened.
bool IsWebAddress(std::wstring_view address);

}  // namespace sealwing::platform
