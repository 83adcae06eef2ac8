#include "sim/RibbonXml.h"

#include <string_view>

namespace sealwing::sim {
namespace {

using Attributes = std::map<std::wstring, std::wstring>;

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring Decoded(std::wstring_view raw) {
    static const struct {
        std::wstring_view name;
        wchar_t character;
    } kEntities[] = {{L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}};
    std::wstring out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const std::size_t end = raw[i] == L'&' ? raw.find(L';', i) : std::wstring_view::npos;
        if (end == std::wstring_view::npos) {
            out += raw[i];
            continue;
        }
        const std::wstring_view name = raw.substr(i + 1, end - i - 1);
        bool known = false;
        for (const auto& entity : kEntities) {
            if (name == entity.name) {
                out += entity.character;
                known = true;
            }
        }
        if (!known && name.size() > 1 && name[0] == L'#') {
            const bool hex = name[1] == L'x' || name[1] == L'X';
            const std::wstring digits(name.substr(hex ? 2 : 1));
            if (!digits.empty() && digits.size() <= 6 &&
                digits.find_first_not_of(hex ? L"0123456789abcdefABCDEF" : L"0123456789") == std::wstring::npos) {
                out += static_cast<wchar_t>(std::stoul(digits, nullptr, hex ? 16 : 10));
                known = true;
            }
        }
        if (!known) {
            out += raw[i];
            continue;
        }
        i = end;
    }
    return out;
}

// Reads the attributes of the start tag whose name begins at `at`; false when the tag cannot be read. `at` ends past
// the tag.
bool ReadTag(const std::wstring& xml, std::size_t& at, Attributes& attributes) {
    const std::size_t n = xml.size();
    while (at < n && !IsSpace(xml[at]) && xml[at] != L'/' && xml[at] != L'>') ++at;
    for (;;) {
        while (at < n && IsSpace(xml[at])) ++at;
        if (at >= n) return false;
        if (xml[at] == L'>') {
            ++at;
            return true;
        }
        if (xml[at] == L'/') {
            if (at + 1 >= n || xml[at + 1] != L'>') return false;
            at += 2;
            return true;
        }
        const std::size_t nameStart = at;
        while (at < n && !IsSpace(xml[at]) && xml[at] != L'=' && xml[at] != L'>' && xml[at] != L'/') ++at;
        const std::wstring name = xml.substr(nameStart, at - nameStart);
        while (at < n && IsSpace(xml[at])) ++at;
        if (name.empty() || at >= n || xml[at] != L'=') return false;
        ++at;
        while (at < n && IsSpace(xml[at])) ++at;
        if (at >= n || (xml[at] != L'"' && xml[at] != L'\'')) return false;
        const wchar_t quote = xml[at++];
        const std::size_t close = xml.find(quote, at);
        if (close == std::wstring::npos) return false;
        attributes[name] = Decoded(std::wstring_view(xml).substr(at, close - at));
        at = close + 1;
    }
}

}  // namespace

std::optional<Attributes> RibbonElementWithId(const std::wstring& xml, const std::wstring& id) {
    static const struct {
        std::wstring_view open;
        std::wstring_view close;
    } kSkipped[] = {{L"<!--", L"-->"}, {L"<![CDATA[", L"]]>"}, {L"<?", L"?>"}, {L"<!", L">"}, {L"</", L">"}};
    std::size_t at = xml.find(L'<');
    while (at != std::wstring::npos) {
        bool skipped = false;
        for (const auto& skip : kSkipped) {
            if (xml.compare(at, skip.open.size(), skip.open) == 0) {
                const std::size_t end = xml.find(skip.close, at + skip.open.size());
                if (end == std::wstring::npos) return std::nullopt;
                at = end + skip.close.size();
                skipped = true;
                break;
            }
        }
        if (!skipped) {
            ++at;
            Attributes attributes;
            if (!ReadTag(xml, at, attributes)) return std::nullopt;
            const auto found = attributes.find(L"id");
            if (found != attributes.end() && found->second == id) return attributes;
        }
        at = xml.find(L'<', at);
    }
    return std::nullopt;
}

}  // namespace sealwing::sim
