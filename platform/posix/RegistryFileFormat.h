#pragma once

#include <string>
#include <string_view>

#include "platform/posix/RegistryTree.h"

// The hive's file: UTF-8 text in the manner of a .reg export.
//
//   SealwingRegistry 1
//
//   [Software\Parcelon\Outlook addin]
//   "Server"="https://example.com/"
//   "Timeout"=dword:0000001e
//
// A header names each key by its full path (key names hold printable characters only, so a header needs no
// escapes); "[]" holds the root's values. Value names and texts are quoted, with \\, \", \n, \r, \t and \u{hex}
// escapes; \u{hex} covers every other control character and any wide character that is not a Unicode scalar value
// (a lone surrogate), so every wide string comes back exactly as it was written.
namespace sealwing::platform {

std::string SerializeRegistry(const RegistryKey& root);

struct RegistryParseResult {
    bool ok = false;
    RegistryKey root;
    std::wstring problem;  // the line and what is wrong with it, when not ok
};

RegistryParseResult ParseRegistry(std::string_view text);

// The quoted form of a text ("a\"b"), and its reading from the given position, which it moves past the closing
// quote; false when the text there is not a well-formed quoted text.
std::string QuoteRegistryText(std::wstring_view text);
bool ReadQuotedRegistryText(std::string_view line, std::size_t& position, std::wstring& text);

}  // namespace sealwing::platform
