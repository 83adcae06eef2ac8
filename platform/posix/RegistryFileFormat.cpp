#include "platform/posix/RegistryFileFormat.h"

#include <cstdint>

#include "platform/Text.h"

namespace sealwing::platform {
namespace {

constexpr std::string_view kFirstLine = "SealwingRegistry 1";
constexpr std::string_view kDwordPrefix = "dword:";

bool NeedsEscape(wchar_t c) {
    const auto code = static_cast<std::uint32_t>(c);
    return code < 0x20 || code == 0x7F || c == L'\\' || c == L'"' || (code >= 0xD800 && code <= 0xDFFF) ||
           code > 0x10FFFF;
}

void AppendEscape(std::string& out, wchar_t c) {
    switch (c) {
        case L'\\':
            out += "\\\\";
            return;
        case L'"':
            out += "\\\"";
            return;
        case L'\n':
            out += "\\n";
            return;
        case L'\r':
            out += "\\r";
            return;
        case L'\t':
            out += "\\t";
            return;
        default:
            out += "\\u{" + Hex(static_cast<std::uint32_t>(c)) + "}";
            return;
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to 8 hexadecimal digits making up the whole of the text.
bool ParseHex(std::string_view digits, std::uint32_t& value) {
    if (digits.empty() || digits.size() > 8) return false;
    value = 0;
    for (const char c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0) return false;
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return true;
}

// A key is written when it holds values or is a leaf: reading a key's path creates every level above it, so the
// keys in between need no line of their own, and the file grows with the depth of the hive, not its square.
void SerializeKey(std::string& out, const RegistryKey& key, const std::wstring& path) {
    if (!key.values.empty() || (!path.empty() && key.subkeys.empty())) {
        out += "\n[" + Utf8FromWide(path) + "]\n";
        for (const auto& value : key.values) {
            out += QuoteRegistryText(value.name) + "=";
            if (const auto* number = std::get_if<std::uint32_t>(&value.data)) {
                std::string digits = Hex(*number);
                out += std::string(kDwordPrefix) + std::string(8 - digits.size(), '0') + digits + "\n";
            } else {
                out += QuoteRegistryText(std::get<std::wstring>(value.data)) + "\n";
            }
        }
    }
    for (const auto& subkey : key.subkeys) {
        SerializeKey(out, subkey, path.empty() ? subkey.name : path + L"\\" + subkey.name);
    }
}

bool ParseValueLine(std::string_view line, RegistryKey& key) {
    std::size_t position = 0;
    std::wstring name;
    if (!ReadQuotedRegistryText(line, position, name)) return false;
    if (position >= line.size() || line[position] != '=') return false;
    ++position;
    const std::string_view rest = line.substr(position);
    if (rest.substr(0, kDwordPrefix.size()) == kDwordPrefix) {
        std::uint32_t number = 0;
        if (!ParseHex(rest.substr(kDwordPrefix.size()), number)) return false;
        key.SetValue(name, number);
        return true;
    }
    std::wstring text;
    if (!ReadQuotedRegistryText(line, position, text) || position != line.size()) return false;
    key.SetValue(name, std::move(text));
    return true;
}

}  // namespace

std::string QuoteRegistryText(std::wstring_view text) {
    std::string out = "\"";
    std::size_t runStart = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !NeedsEscape(text[i])) continue;
        out += Utf8FromWide(text.substr(runStart, i - runStart));
        if (i < text.size()) AppendEscape(out, text[i]);
        runStart = i + 1;
    }
    return out + "\"";
}

bool ReadQuotedRegistryText(std::string_view line, std::size_t& position, std::wstring& text) {
    if (position >= line.size() || line[position] != '"') return false;
    text.clear();
    std::size_t runStart = ++position;
    auto flushRun = [&] { text += WideFromUtf8(line.substr(runStart, position - runStart)); };
    while (position < line.size()) {
        const char c = line[position];
        if (c == '"') {
            flushRun();
            ++position;
            return true;
        }
        if (c != '\\') {
            ++position;
            continue;
        }
        flushRun();
        if (++position >= line.size()) return false;
        switch (line[position]) {
            case '\\':
                text += L'\\';
                break;
            case '"':
                text += L'"';
                break;
            case 'n':
                text += L'\n';
                break;
            case 'r':
                text += L'\r';
                break;
            case 't':
                text += L'\t';
                break;
            case 'u': {
                const std::size_t close = line.find('}', position);
                std::uint32_t code = 0;
                if (position + 1 >= line.size() || line[position + 1] != '{' || close == std::string_view::npos ||
                    !ParseHex(line.substr(position + 2, close - position - 2), code)) {
                    return false;
                }
                text += static_cast<wchar_t>(code);
                position = close;
                break;
            }
            default:
                return false;
        }
        runStart = ++position;
    }
    return false;
}

std::string SerializeRegistry(const RegistryKey& root) {
    std::string out(kFirstLine);
    out += "\n";
    SerializeKey(out, root, L"");
    return out;
}

RegistryParseResult ParseRegistry(std::string_view text) {
    RegistryParseResult result;
    RegistryKey* current = nullptr;
    std::size_t lineNumber = 0;
    auto fail = [&](const wchar_t* what) {
        result.root = RegistryKey{};
        result.problem = L"line " + std::to_wstring(lineNumber) + L": " + what;
        return std::move(result);
    };
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // a copy edited with CR LF line ends

        if (Utf8FromWide(WideFromUtf8(line)) != line) return fail(L"not UTF-8 text");
        if (lineNumber == 1) {
            if (line != kFirstLine) return fail(L"not a registry file of a known format");
            continue;
        }
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 2) return fail(L"unterminated key name");
            const auto levels = SplitKeyPath(WideFromUtf8(line.substr(1, line.size() - 2)));
            if (!levels) return fail(L"malformed key path");
            current = &EnsureKey(result.root, *levels);
        } else if (line.front() == '"') {
            if (current == nullptr) return fail(L"value outside any key");
            if (!ParseValueLine(line, *current)) return fail(L"malformed value");
        } else {
            return fail(L"neither a key nor a value");
        }
    }
    result.ok = true;  // an empty file holds an empty hive
    return result;
}

}  // namespace sealwing::platform
