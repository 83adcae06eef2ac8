#include <algorithm>
#include <array>
#include <type_traits>

#include "platform/Text.h"
#include "xml/XmlDocument.h"

namespace sealwing::xml {
namespace {

template <class Char>
bool IsWhite(Char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsWhiteOnly(std::wstring_view text) { return std::all_of(text.begin(), text.end(), IsWhite<wchar_t>); }

template <class Char>
Char FoldAscii(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

// The first position from `from` where any of the characters stands, or npos. The library's find_first_of looks the
// text's every character up in the set with a call of its own; one character is found with the library's fast search,
// a few are compared in place.
template <class Char>
std::size_t FindAnyOf(std::basic_string_view<Char> text, std::size_t from, std::basic_string_view<Char> set) {
    if (set.size() == 1) return text.find(set.front(), from);
    for (std::size_t position = from; position < text.size(); ++position) {
        if (set.find(text[position]) != std::basic_string_view<Char>::npos) return position;
    }
    return std::basic_string_view<Char>::npos;
}

// The syntax's ASCII strings in the parsed text's own character type.
template <class Char, std::size_t N>
struct Ascii {
    std::array<Char, N - 1> characters{};
    consteval explicit Ascii(const char (&text)[N]) {
        for (std::size_t i = 0; i + 1 < N; ++i) characters[i] = static_cast<Char>(text[i]);
    }
    constexpr operator std::basic_string_view<Char>() const { return {characters.data(), characters.size()}; }
};

// Element text and attribute values: trim, drop escapes, decode references. Runs without an escape or a reference
// are copied whole, so a long text is copied once.
void ProcessValue(std::wstring_view raw, const XmlParseOptions& options, std::wstring& target) {
    if (options.trimValues) {
        while (!raw.empty() && IsWhite(raw.front())) raw.remove_prefix(1);
        while (!raw.empty() && IsWhite(raw.back())) raw.remove_suffix(1);
    }
    std::wstring unescaped;
    std::wstring_view view = raw;
    if (options.escape != L'\0' && raw.find(options.escape) != std::wstring_view::npos) {
        unescaped.reserve(raw.size());
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == options.escape) {
                if (i + 1 < raw.size()) unescaped += raw[++i];
                continue;
            }
            unescaped += raw[i];
        }
        view = unescaped;
    }
    if (!options.decodeEntities || options.entities == nullptr) {
        target.assign(view);
        return;
    }
    std::wstring starts;  // the characters a reference can start with
    for (const auto& entity : *options.entities) {
        if (!entity.reference.empty()) starts += entity.reference.front();
    }
    std::wstring decoded;
    decoded.reserve(view.size());
    for (std::size_t i = 0; i < view.size();) {
        const std::size_t next = std::min(FindAnyOf<wchar_t>(view, i, starts), view.size());
        decoded.append(view.substr(i, next - i));
        i = next;
        if (i == view.size()) break;
        const XmlEntity* match = nullptr;
        for (const auto& entity : *options.entities) {
            if (!entity.reference.empty() && view.substr(i, entity.reference.size()) == entity.reference) {
                match = &entity;
                break;
            }
        }
        if (match != nullptr) {
            decoded += match->character;
            i += match->reference.size();
        } else {
            decoded += view[i++];
        }
    }
    target = std::move(decoded);
}

// One parse of one text into one document; positions are offsets into the text. The text is wide, or UTF-8 bytes
// read as they are: every character of the syntax is ASCII, which a UTF-8 byte of a longer sequence never is, so the
// reader stops at the same places in both, and names and values are widened one by one as they are taken.
template <class Char>
class Reader {
public:
    using View = std::basic_string_view<Char>;

    Reader(XmlDocument& document, View text)
        : document_(document), options_(document.options), text_(text.substr(0, text.find(Char{}))) {}

    std::optional<std::size_t> LoadDocument() {
        document_.children.clear();
        document_.attributes.clear();
        document_.error = {};

        auto top = std::make_unique<XmlNode>(XmlNodeType::Element, &document_, &document_);
        const auto stopped = LoadElement(*top, 0, 1);
        if (!stopped) return Fail();
        document_.children.push_back(std::move(top));
        bool consumedComment = false;
        const auto end = LoadOtherNodes(document_, *stopped, consumedComment);
        if (!end) return Fail();
        return end;
    }

private:
    static constexpr Ascii<Char, 3> kAttributeNameEnd{" ="};
    static constexpr Ascii<Char, 7> kInstructionNameEnd{" \t\r\n?>"};
    static constexpr Ascii<Char, 7> kElementNameEnd{" />\t\r\n"};
    static constexpr Ascii<Char, 3> kInstructionOpener{"<?"};
    static constexpr Ascii<Char, 3> kInstructionCloser{"?>"};
    static constexpr Ascii<Char, 5> kCommentOpener{"<!--"};
    static constexpr Ascii<Char, 4> kCommentCloser{"-->"};
    static constexpr Ascii<Char, 10> kCDataOpener{"<![CDATA["};
    static constexpr Ascii<Char, 4> kCDataCloser{"]]>"};
    static constexpr Ascii<Char, 3> kClosingTagOpener{"</"};

    static std::wstring Wide(View text) {
        if constexpr (std::is_same_v<Char, wchar_t>) {
            return std::wstring(text);
        } else {
            return platform::WideFromUtf8(text);
        }
    }

    // The escape as a character of the text; only an ASCII escape can stand in UTF-8 bytes (Load sees to that).
    Char Escape() const { return static_cast<Char>(options_.escape); }

    std::optional<std::size_t> Fail() {
        document_.children.clear();
        return std::nullopt;
    }

    std::size_t End() const { return text_.size(); }
    Char At(std::size_t position) const { return position < text_.size() ? text_[position] : Char{}; }

    std::size_t SkipWhite(std::size_t position) const {
        while (position < End() && IsWhite(text_[position])) ++position;
        return position;
    }

    bool StartsWith(std::size_t position, View prefix, bool ignoreCase = false) const {
        if (position > End() || End() - position < prefix.size()) return false;
        for (std::size_t i = 0; i < prefix.size(); ++i) {
            const Char c = text_[position + i];
            if (ignoreCase ? FoldAscii(c) != FoldAscii(prefix[i]) : c != prefix[i]) return false;
        }
        return true;
    }

    // The first unescaped `c` from the position, or the end of the input.
    std::size_t FindUnescaped(std::size_t position, Char c) const {
        const Char stops[] = {c, Escape()};
        const View wanted(stops, Escape() != Char{} ? 2 : 1);
        while (position < End()) {
            position = std::min(FindAnyOf(text_, position, wanted), End());
            if (position < End() && Escape() != Char{} && text_[position] == Escape()) {
                position += 2;
                continue;
            }
            return position;
        }
        return End();
    }

    // The first unescaped occurrence of the terminator, compared without regard to case; npos when there is none.
    // Only the positions where the terminator's first character (in either case) or an escape stands are looked at.
    std::size_t FindTerminator(std::size_t position, View terminator, bool escapeAware) const {
        std::basic_string<Char> stops{terminator.front()};
        for (Char c = 'A'; c <= 'Z'; ++c) {
            if (FoldAscii(c) == FoldAscii(terminator.front())) stops += {c, FoldAscii(c)};
        }
        const bool escapes = escapeAware && Escape() != Char{};
        if (escapes) stops += Escape();
        while (position < End()) {
            position = FindAnyOf<Char>(text_, position, stops);
            if (position == View::npos) return View::npos;
            if (escapes && text_[position] == Escape()) {
                position += 2;
                continue;
            }
            if (StartsWith(position, terminator, true)) return position;
            ++position;
        }
        return View::npos;
    }

    std::size_t FindFirstOf(std::size_t position, View characters) const {
        const auto found = FindAnyOf(text_, position, characters);
        return found == View::npos ? End() : found;
    }

    void RecordError(XmlErrorCode code, std::size_t position, std::wstring message) {
        auto& error = document_.error;
        if (error.occurred) return;
        error = {true, position, code, std::move(message)};
    }

    // The value between the positions, processed; no characters leave the target unchanged.
    void ProcessValue(std::size_t from, std::size_t to, std::wstring& target) const {
        if (from >= to) return;
        if constexpr (std::is_same_v<Char, wchar_t>) {
            xml::ProcessValue(text_.substr(from, to - from), options_, target);
        } else {
            xml::ProcessValue(Wide(text_.substr(from, to - from)), options_, target);
        }
    }

    // Attributes from the position up to ">" or "/" (or `limit` for a processing instruction). Returns where they
    // stopped, or nothing when the element cannot be read.
    std::optional<std::size_t> LoadAttributes(XmlNode& node, std::size_t position, std::size_t limit) {
        for (;;) {
            position = SkipWhite(position);
            if (position >= limit || At(position) == '>' || At(position) == '/') return position;
            const std::size_t nameEnd = FindFirstOf(position, kAttributeNameEnd);
            if (nameEnd >= End()) {
                RecordError(XmlErrorCode::AttributeNotDelimited, position,
                            L"<" + node.name + L"> attribute has error ");
                return std::nullopt;
            }
            auto attribute = std::make_unique<XmlAttribute>();
            attribute->name = Wide(text_.substr(position, nameEnd - position));
            attribute->parent = &node;
            position = SkipWhite(nameEnd);
            if (At(position) == '=') {
                position = SkipWhite(position + 1);
                const Char quote = At(position);
                if (quote == '"' || quote == '\'') {
                    const std::size_t close = FindUnescaped(position + 1, quote);
                    if (close >= End()) return std::nullopt;
                    ProcessValue(position + 1, close, attribute->value);
                    position = close + 1;
                } else {
                    std::size_t valueEnd = position;
                    while (valueEnd < End() && !IsWhite(text_[valueEnd]) && text_[valueEnd] != '>') {
                        valueEnd += Escape() != Char{} && text_[valueEnd] == Escape() ? 2 : 1;
                    }
                    valueEnd = std::min(valueEnd, End());
                    ProcessValue(position, valueEnd, attribute->value);
                    position = valueEnd;
                }
            }
            node.attributes.push_back(std::move(attribute));
        }
    }

    // Processing instructions, comments and CDATA sections, until a pass finds none of them. Comments and CDATA
    // sections go to `container`, processing instructions to the document, wherever they stand.
    std::optional<std::size_t> LoadOtherNodes(XmlNode& container, std::size_t position, bool& consumedComment) {
        for (;;) {
            position = SkipWhite(position);
            if (StartsWith(position, kInstructionOpener, true)) {
                const std::size_t close = FindTerminator(position + 2, kInstructionCloser, true);
                if (close == View::npos) return std::nullopt;
                auto instruction =
                    std::make_unique<XmlNode>(XmlNodeType::ProcessingInstruction, &document_, &document_);
                const std::size_t nameEnd = std::min(FindFirstOf(position + 2, kInstructionNameEnd), close);
                instruction->name = Wide(text_.substr(position + 2, nameEnd - position - 2));
                if (!LoadAttributes(*instruction, nameEnd, close)) return std::nullopt;
                document_.children.push_back(std::move(instruction));
                position = close + 2;
            } else if (StartsWith(position, kCommentOpener, true)) {
                if (!AppendRaw(container, XmlNodeType::Comment, L"#COMMENT", position, 4, kCommentCloser))
                    return std::nullopt;
                consumedComment = true;
            } else if (StartsWith(position, kCDataOpener, true)) {
                if (!AppendRaw(container, XmlNodeType::CData, L"#CDATA", position, 9, kCDataCloser))
                    return std::nullopt;
                consumedComment = true;
            } else {
                return position;
            }
        }
    }

    bool AppendRaw(XmlNode& container, XmlNodeType type, const wchar_t* name, std::size_t& position,
                   std::size_t openerLength, View terminator) {
        const std::size_t start = position + openerLength;
        const std::size_t close = FindTerminator(start, terminator, false);
        if (close == View::npos) return false;
        auto node = std::make_unique<XmlNode>(type, &container, &document_);
        node->name = name;
        node->value = Wide(text_.substr(start, close - start));
        container.children.push_back(std::move(node));
        position = close + terminator.size();
        return true;
    }

    // The text up to the next unescaped "<" (or the end) as the node's value; returns where it stopped.
    std::size_t LoadText(XmlNode& node, std::size_t position) const {
        const std::size_t textEnd = FindUnescaped(position, '<');
        ProcessValue(position, textEnd, node.value);
        return textEnd;
    }

    std::optional<std::size_t> LoadElement(XmlNode& node, std::size_t position, int depth) {
        node.children.clear();
        node.attributes.clear();

        position = text_.find('<', position);
        if (position == View::npos) return std::nullopt;
        if (At(position + 1) == '/') return position;  // the caller's closing tag

        bool consumedComment = false;
        XmlNode& commentContainer = node.parent != nullptr ? *node.parent : document_;
        const auto afterOthers = LoadOtherNodes(commentContainer, position, consumedComment);
        if (!afterOthers) return std::nullopt;
        position = *afterOthers;
        if (consumedComment && node.parent != nullptr && node.parent->type == XmlNodeType::Element) return position;
        if (At(position) != '<') {
            // Only text follows what was consumed: the element starts at the next "<", if any.
            position = text_.find('<', position);
            if (position == View::npos) return std::nullopt;
            if (At(position + 1) == '/') return position;
        }

        if (depth > kMaxXmlDepth) {
            RecordError(XmlErrorCode::NestedTooDeeply, position,
                        L"Elements are nested more than " + std::to_wstring(kMaxXmlDepth) + L" levels deep.");
            return std::nullopt;
        }
        const std::size_t nameEnd = FindFirstOf(position + 1, kElementNameEnd);
        const View name = text_.substr(position + 1, nameEnd - position - 1);
        node.name = Wide(name);
        const auto afterAttributes = LoadAttributes(node, nameEnd, End());
        if (!afterAttributes) return std::nullopt;
        position = *afterAttributes;
        if (position >= End()) return End();

        if (At(position) == '/') {
            if (At(position + 1) == '>') return position + 2;
            RecordError(XmlErrorCode::ElementNotClosed, position + 1, L"Element must be closed.");
            return std::nullopt;
        }

        ++position;  // past ">"
        if (IsWhiteOnly(node.value)) position = LoadText(node, position);

        while (position < End()) {
            auto child = std::make_unique<XmlNode>(node.type, &node, node.document);
            const auto afterChild = LoadElement(*child, position, depth + 1);
            if (!child->name.empty()) node.children.push_back(std::move(child));
            if (!afterChild) return std::nullopt;
            position = *afterChild;

            if (StartsWith(position, kClosingTagOpener)) {
                const std::size_t nameStart = SkipWhite(position + 2);
                std::size_t delimiter = nameStart;
                while (delimiter < End() && !IsWhite(text_[delimiter]) && text_[delimiter] != '>') ++delimiter;
                if (delimiter >= End()) {
                    RecordError(XmlErrorCode::ClosingTagNotDelimited, position,
                                L"it must be closed with </" + node.name + L">");
                    return std::nullopt;
                }
                const View closingName = text_.substr(nameStart, delimiter - nameStart);
                // Bytes that differ can still widen alike: malformed sequences all become U+FFFD.
                if (closingName == name || (!std::is_same_v<Char, wchar_t> && Wide(closingName) == node.name)) {
                    return delimiter + 1;
                }
                if (!options_.forceParse) {
                    RecordError(XmlErrorCode::MismatchedClosingTag, delimiter + 1,
                                L"'<" + node.name + L"> ... </" + Wide(closingName) + L">' is not wel-formed.");
                    return std::nullopt;
                }
                position = delimiter + 1;
            } else if (IsWhiteOnly(node.value) && At(position) != '<') {
                // Text after a child: real text replaces a blank value (a line break before the first child); more
                // blanks keep the first ones.
                std::wstring text;
                const std::size_t textEnd = FindUnescaped(position, '<');
                ProcessValue(position, textEnd, text);
                if (node.value.empty() || !IsWhiteOnly(text)) node.value = std::move(text);
                position = textEnd;
            }
        }
        return End();
    }

    XmlDocument& document_;
    const XmlParseOptions& options_;
    View text_;
};

}  // namespace

std::optional<std::size_t> XmlDocument::Load(std::wstring_view text) {
    return Reader<wchar_t>(*this, text).LoadDocument();
}

std::optional<std::size_t> XmlDocument::Load(std::string_view utf8) {
    // A non-ASCII escape character could stand in the middle of a UTF-8 sequence: such a parse reads the widened text.
    if (static_cast<std::uint32_t>(options.escape) >= 0x80) return Load(platform::WideFromUtf8(utf8));
    return Reader<char>(*this, utf8).LoadDocument();
}

}  // namespace sealwing::xml
