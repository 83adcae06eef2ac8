#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// Text conversions at the system's edges. Inside, text is std::wstring; UTF-8 on the wire, UTF-16LE in the
// credentials file, the thread's ANSI code page in log files (UTF-8 stands for it on POSIX).
namespace sealwing::platform {

// Invalid input (a lone surrogate, a malformed byte sequence) becomes U+FFFD; nothing is dropped silently.
std::string Utf8FromWide(std::wstring_view text);
// Utf8FromWide's bytes appended to `out`, written in place, with room for `room` more bytes after them: what follows
// a long text can be appended without moving it.
void AppendUtf8(std::string& out, std::wstring_view text, std::size_t room = 0);
std::wstring WideFromUtf8(std::string_view bytes);

// Little-endian UTF-16 bytes, no byte-order mark; an odd trailing byte is ignored by the decoder.
std::string Utf16LeFromWide(std::wstring_view text);
std::wstring WideFromUtf16Le(std::string_view bytes);

// The calling thread's ANSI code page; characters the code page lacks become its default character.
std::string AnsiFromWide(std::wstring_view text);
std::wstring WideFromAnsi(std::string_view bytes);

// Lower-case hexadecimal without prefix, as printf's "%x" writes it.
std::wstring HexW(std::uint32_t value);
std::string Hex(std::uint32_t value);

// Replaces every occurrence of `from` (not empty) by `to`, left to right, in one pass.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to);

// The pattern with each "%s" replaced by the next value, as printf fills it; values are inserted as they are (a "%s"
// inside one stays). A "%s" without a value left stays too.
std::wstring FillIn(std::wstring_view pattern, std::initializer_list<std::wstring_view> values);

// Case-insensitive comparison of names (registry keys, header names): ASCII and Latin-1 letters fold.
bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b);
std::wstring ToUpper(std::wstring_view text);
std::wstring ToLower(std::wstring_view text);

}  // namespace sealwing::platform
