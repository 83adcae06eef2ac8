#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "localservice/ServiceRecords.h"

namespace sealwing::localservice {

// The boundary parameter of a "multipart/form-data; boundary=..." Content-Type value (quoted or not).
std::optional<std::string> MultipartBoundary(std::string_view contentType);

// Splits a multipart/form-data body into its parts, in order, byte for byte. Returns nothing when the body does not
// start with the delimiter, a part's headers are unterminated, or the closing delimiter is missing: the service
// refuses such a form rather than guessing.
std::optional<std::vector<FormPart>> ParseMultipart(std::string_view body, std::string_view boundary);

}  // namespace sealwing::localservice
