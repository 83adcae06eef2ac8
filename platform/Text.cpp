#include "platform/Text.h"

#include <algorithm>

namespace sealwing::platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Walks the code points of a wide string: UTF-16 where wchar_t is 16 bits, UTF-32 elsewhere.
template <class Visit>
void ForEachCodePoint(std::wstring_view text, Visit visit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            c &= 0xFFFF;
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
                const char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    visit(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                    ++i;
                    continue;
                }
            }
        }
        visit(IsSurrogate(c) || c > 0x10FFFF ? kReplacement : c);
    }
}

void AppendWide(std::wstring& out, char32_t c) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(c));
}

// Writes the code point's UTF-8 bytes at `out` and returns the position after them.
char* WriteUtf8(char* out, char32_t c) {
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

void AppendUtf16Le(std::string& out, char16_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

template <class Char>
std::basic_string<Char> HexOf(std::uint32_t value) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::basic_string<Char> text;
    do {
        text.insert(text.begin(), static_cast<Char>(kDigits[value & 0xF]));
        value >>= 4;
    } while (value != 0);
    return text;
}

wchar_t FoldCase(wchar_t c, bool upper) {
    const auto code = static_cast<std::uint32_t>(c);
    const bool lowerLetter = (code >= 'a' && code <= 'z') || (code >= 0xE0 && code <= 0xFE && code != 0xF7);
    const bool upperLetter = (code >= 'A' && code <= 'Z') || (code >= 0xC0 && code <= 0xDE && code != 0xD7);
    if (upper && lowerLetter) return static_cast<wchar_t>(code - 0x20);
    if (!upper && upperLetter) return static_cast<wchar_t>(code + 0x20);
    return c;
}

}  // namespace

std::string Utf8FromWide(std::wstring_view text) {
    std::string out;
    AppendUtf8(out, text);
    return out;
}

void AppendUtf8(std::string& out, std::wstring_view text, std::size_t room) {
    // Measured first and then written in place: a long text is allocated once, where it ends up.
    std::size_t size = 0;
    ForEachCodePoint(text, [&size](char32_t c) { size += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; });
    const std::size_t start = out.size();
    if (out.capacity() < start + size) out.reserve(start + size + room);
    out.resize(start + size);
    char* written = out.data() + start;
    ForEachCodePoint(text, [&written](char32_t c) { written = WriteUtf8(written, c); });
}

std::wstring WideFromUtf8(std::string_view bytes) {
    // No byte sequence gives more wide characters than it has bytes, so the text is written in place, at most its
    // size, and cut to what was written.
    std::wstring out(bytes.size(), L'\0');
    wchar_t* written = out.data();
    const auto put = [&written](char32_t c) {
        if constexpr (sizeof(wchar_t) == 2) {
            if (c >= 0x10000) {
                c -= 0x10000;
                *written++ = static_cast<wchar_t>(0xD800 + (c >> 10));
                *written++ = static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
                return;
            }
        }
        *written++ = static_cast<wchar_t>(c);
    };
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            *written++ = static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
            minimum = 0x10000;
        }
        bool valid = length != 0;
        for (std::size_t k = 1; valid && k < length; ++k) {
            // A sequence cut short, by the end of the text or by a byte that cannot continue it, is one
            // replacement, and decoding goes on at the byte that broke it.
            const auto next = i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0u;
            if ((next & 0xC0) != 0x80) {
                valid = false;
                length = k;  // resynchronise on the byte that broke the sequence
            } else {
                c = (c << 6) | (next & 0x3F);
            }
        }
        if (valid && (c < minimum || c > 0x10FFFF || IsSurrogate(c))) valid = false;
        put(valid ? c : kReplacement);
        i += length == 0 ? 1 : length;
    }
    out.resize(static_cast<std::size_t>(written - out.data()));
    return out;
}

std::string Utf16LeFromWide(std::wstring_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    ForEachCodePoint(text, [&out](char32_t c) {
        if (c >= 0x10000) {
            c -= 0x10000;
            AppendUtf16Le(out, static_cast<char16_t>(0xD800 + (c >> 10)));
            AppendUtf16Le(out, static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            AppendUtf16Le(out, static_cast<char16_t>(c));
        }
    });
    return out;
}

std::wstring WideFromUtf16Le(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size() / 2);
    const std::size_t units = bytes.size() / 2;
    auto unitAt = [&bytes](std::size_t index) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * index]) |
                                     (static_cast<unsigned char>(bytes[2 * index + 1]) << 8));
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
            const char32_t low = unitAt(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendWide(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendWide(out, IsSurrogate(unit) ? kReplacement : unit);
    }
    return out;
}

std::wstring HexW(std::uint32_t value) { return HexOf<wchar_t>(value); }
std::string Hex(std::uint32_t value) { return HexOf<char>(value); }

std::wstring FillIn(std::wstring_view pattern, std::initializer_list<std::wstring_view> values) {
    std::wstring filled;
    const std::wstring_view* next = values.begin();
    std::size_t from = 0;
    for (std::size_t at = pattern.find(L"%s"); at != std::wstring_view::npos && next != values.end();
         at = pattern.find(L"%s", from)) {
        filled += pattern.substr(from, at - from);
        filled += *next++;
        from = at + 2;
    }
    filled += pattern.substr(from);
    return filled;
}

std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (auto found = text.find(from); !from.empty() && found != std::wstring_view::npos;
         found = text.find(from, start)) {
        out.append(text.substr(start, found - start)).append(to);
        start = found + from.size();
    }
    out.append(text.substr(start));
    return out;
}

bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i], true) != FoldCase(b[i], true)) return false;
    }
    return true;
}

std::wstring ToUpper(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out) c = FoldCase(c, true);
    return out;
}

std::wstring ToLower(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out) c = FoldCase(c, false);
    return out;
}

}  // namespace sealwing::platform
