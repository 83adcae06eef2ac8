#include "platform/posix/TextAnsi.h"

#include "platform/Text.h"

// On POSIX the locale's multi-byte code page is UTF-8, and it stands for Windows' ANSI code page.
namespace sealwing::platform {
namespace {

std::atomic<bool> g_latin1{false};

}  // namespace

ScopedLatin1AnsiCodePage::ScopedLatin1AnsiCodePage() { g_latin1 = true; }
ScopedLatin1AnsiCodePage::~ScopedLatin1AnsiCodePage() { g_latin1 = false; }

std::string AnsiFromWide(std::wstring_view text) {
    if (!g_latin1) return Utf8FromWide(text);
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t c : text) bytes += static_cast<std::uint32_t>(c) <= 0xFF ? static_cast<char>(c) : '?';
    return bytes;
}

std::wstring WideFromAnsi(std::string_view bytes) {
    if (!g_latin1) return WideFromUtf8(bytes);
    std::wstring text;
    text.reserve(bytes.size());
    for (const char c : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return text;
}

}  // namespace sealwing::platform
