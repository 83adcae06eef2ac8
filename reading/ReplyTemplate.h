#pragma once

#include <string>
#include <string_view>

#include "outlook/ObjectModel.h"
#include "service/SecureMessage.h"

// The HTML that replaces the body Outlook prepares for a reply or forward of a secure message: a quoted header block
// of the original and its real body.
namespace sealwing::reading {

// The DLL carries the template as this data resource too.
inline constexpr int kReplyTemplateResource = 228;

// The template: 1639 bytes of ASCII with CR LF line ends (resources/ReplyTemplate.html, compiled into the add-in),
// widened from the ANSI code page.
std::wstring LoadReplyTemplate();

// "%A, %B %d, %Y %#I:%M %p" with English names: "Thursday, December 10, 2026 3:04 AM". The time is first rounded to
// the second, as the system converts an automation date. Empty for a number outside the years 100 to 9999.
std::wstring FormatSentDate(outlook::Date date);

// The template with the message's header block and body. The CC line is kept (without its two markers) when the
// message has CC entries and cut out otherwise; then every placeholder of the template is filled in one pass, each
// value inserted as it is (HTML, no escaping), so a value that itself looks like a placeholder stays as it was.
std::wstring FillReplyTemplate(std::wstring_view templateText, const service::SecureMessage& message,
                               std::wstring_view sentOn);

}  // namespace sealwing::reading
