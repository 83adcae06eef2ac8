#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Http.h"

namespace sealwing::platform {

// The multipart/form-data body that the Windows build's HTTP engine writes itself, as WinHTTP has no form of its own.
// It writes each part as libcurl's form engine does for the Linux build, so the service reads the same form from both.

// A boundary that occurs in no part, so no value can end its part early.
std::string FormBoundary(const std::vector<HttpFormPart>& parts);

// The parts in order, each with its Content-Disposition line (name and, for a file, file name, both quoted by
// QuotedFormParameter) and a file's one header line, then the closing boundary.
std::string FormBody(const std::vector<HttpFormPart>& parts, const std::string& boundary);

// The same body as pieces in order: the texts the writer makes, kept in `texts`, and each part's bytes where the part
// holds them, so that attachments are sent from where they are instead of from a copy. The pieces point into `texts`
// and the parts, which must stay as they are while the pieces are used.
std::vector<std::string_view> FormBodyPieces(const std::vector<HttpFormPart>& parts, const std::string& boundary,
                                             std::vector<std::string>& texts);

}  // namespace sealwing::platform
