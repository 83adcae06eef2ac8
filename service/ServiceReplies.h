#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "service/ServiceRecords.h"
#include "xml/XmlDocument.h"

// Reading the service's XML replies into the records the rest of the add-in uses. Every reply is parsed afresh; a
// reply that does not parse leaves the records as they were. Element texts keep the five special characters as
// references, except where a reader converts them back (the message body and error explanations).
namespace sealwing::service {

// A reply as its bytes arrived (UTF-8, read without widening the whole reply first), or as text.
using ReplyText = std::variant<std::string_view, std::wstring_view>;

// The three readers of a child taken by exact name; an absent child leaves the target unchanged.
void ReadText(const xml::XmlNode& parent, std::wstring_view name, std::wstring& target);
// Signed decimal: leading white space and a sign accepted, stops at the first other character, no digits give 0.
void ReadInteger(const xml::XmlNode& parent, std::wstring_view name, std::int32_t& target);
// True when the text lower-cased is "true".
void ReadFlag(const xml::XmlNode& parent, std::wstring_view name, bool& target);
std::int32_t ParseInteger(std::wstring_view text);

// The explanations of an error reply (root "error": every child's text, converted back); empty for anything else.
std::vector<std::wstring> ReadErrorExplanations(ReplyText reply);

void ReadAccountStatus(ReplyText reply, AccountStatus& status);
void ReadAccountInfo(ReplyText reply, AccountInfo& info);
// False when the reply has no "auth" child or its text is not exactly "true".
bool ReadSessionAlive(ReplyText reply);
void ReadSecureMessage(ReplyText reply, SecureMessage& message);
void ReadVersionInfo(ReplyText reply, VersionInfo& version);

}  // namespace sealwing::service
