#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sealwing::localservice {

// Decodes %XX escapes; with plusIsBlank a '+' becomes a blank, as a web form's query reads it.
std::string PercentDecode(std::string_view text, bool plusIsBlank);

// The query of a request target, split at '&' and '=' and decoded, in order.
std::vector<std::pair<std::string, std::string>> ParseQuery(std::string_view query);

std::optional<std::string> Base64Decode(std::string_view text);

// "Basic <base64 of user:password>" -> user and password.
std::optional<std::pair<std::string, std::string>> ParseBasicCredentials(std::string_view authorization);

// The five characters that XML (and HTML) texts carry as references.
std::string EscapeMarkup(std::string_view text);

}  // namespace sealwing::localservice
