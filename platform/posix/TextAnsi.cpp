#include "platform/Text.h"

// On POSIX the locale's multi-byte code page is UTF-8, and it stands for Windows' ANSI code page.
namespace sealwing::platform {

std::string AnsiFromWide(std::wstring_view text) { return Utf8FromWide(text); }
std::wstring WideFromAnsi(std::string_view bytes) { return WideFromUtf8(bytes); }

}  // namespace sealwing::platform
