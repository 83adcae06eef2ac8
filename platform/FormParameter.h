#pragma once

#include <string>
#include <string_view>

namespace sealwing::platform {

// A part's name or file name as it goes between the quotes of a form part's Content-Disposition line. A quote, CR or
// LF in it would end the value or add header lines, so they go as %22, %0D and %0A, as browsers (and the form
// engine) write them, and a NUL as %00, as the form engine's C strings cannot carry it; everything else, a percent
// sign included, goes as it is.
std::string QuotedFormParameter(std::string_view value);

}  // namespace sealwing::platform
