#include <algorithm>

#include "xml/XmlDocument.h"

namespace sealwing::xml {
namespace {

bool IsWhite(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f'; }

bool IsWhiteOnly(std::wstring_view text) { return std::all_of(text.begin(), text.end(), IsWhite); }

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// One parse of one text into one document; positions are offsets into the text.
class Reader {
public:
    Reader(XmlDocument& document, std::wstring_view text)
        : document_(document), options_(document.options), text_(text.substr(0, text.find(L'\0'))) {}

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
    std::optional<std::size_t> Fail() {
        document_.children.clear();
        return std::nullopt;
    }

    std::size_t End() const { return text_.size(); }
    wchar_t At(std::size_t position) const { return position < text_.size() ? text_[position] : L'\0'; }

    std::size_t SkipWhite(std::size_t position) const {
        while (position < End() && IsWhite(text_[position])) ++position;
        return position;
    }

    bool StartsWith(std::size_t position, std::wstring_view prefix, bool ignoreCase = false) const {
        if (position > End() || End() - position < prefix.size()) return false;
        for (std::size_t i = 0; i < prefix.size(); ++i) {
            const wchar_t c = text_[position + i];
            if (ignoreCase ? FoldAscii(c) != FoldAscii(prefix[i]) : c != prefix[i]) return false;
        }
        return true;
    }

    // The first unescaped `c` from the position, or the end of the input.
    std::size_t FindUnescaped(std::size_t position, wchar_t c) const {
        const wchar_t stops[] = {c, options_.escape};
        const std::wstring_view wanted(stops, options_.escape != L'\0' ? 2 : 1);
        while (position < End()) {
            position = std::min(text_.find_first_of(wanted, position), End());
            if (position < End() && options_.escape != L'\0' && text_[position] == options_.escape) {
                position += 2;
                continue;
            }
            return position;
        }
        return End();
    }

    // The first unescaped occurrence of the terminator, compared without regard to case; npos when there is none.
    // Only the positions where the terminator's first character (in either case) or an escape stands are looked at.
    std::size_t FindTerminator(std::size_t position, std::wstring_view terminator, bool escapeAware) const {
        std::wstring stops{terminator.front()};
        for (wchar_t c = L'A'; c <= L'Z'; ++c) {
            if (FoldAscii(c) == FoldAscii(terminator.front())) stops += {c, FoldAscii(c)};
        }
        const bool escapes = escapeAware && options_.escape != L'\0';
        if (escapes) stops += options_.escape;
        while (position < End()) {
            position = text_.find_first_of(stops, position);
            if (position == std::wstring_view::npos) return std::wstring_view::npos;
            if (escapes && text_[position] == options_.escape) {
                position += 2;
                continue;
            }
            if (StartsWith(position, terminator, true)) return position;
            ++position;
        }
        return std::wstring_view::npos;
    }

    std::size_t FindFirstOf(std::size_t position, std::wstring_view characters) const {
        const auto found = text_.find_first_of(characters, position);
        return found == std::wstring_view::npos ? End() : found;
    }

    void RecordError(XmlErrorCode code, std::size_t position, std::wstring message) {
        auto& error = document_.error;
        if (error.occurred) return;
        error = {true, position, code, std::move(message)};
    }

    // Element text and attribute values: trim, drop escapes, decode references. No characters: target unchanged.
    // Runs without an escape or a reference are copied whole, so a long text is copied once.
    void ProcessValue(std::size_t from, std::size_t to, std::wstring& target) const {
        if (from >= to) return;
        std::wstring_view raw = text_.substr(from, to - from);
        if (options_.trimValues) {
            while (!raw.empty() && IsWhite(raw.front())) raw.remove_prefix(1);
            while (!raw.empty() && IsWhite(raw.back())) raw.remove_suffix(1);
        }
        std::wstring unescaped;
        std::wstring_view view = raw;
        if (options_.escape != L'\0' && raw.find(options_.escape) != std::wstring_view::npos) {
            unescaped.reserve(raw.size());
            for (std::size_t i = 0; i < raw.size(); ++i) {
                if (raw[i] == options_.escape) {
                    if (i + 1 < raw.size()) unescaped += raw[++i];
                    continue;
                }
                unescaped += raw[i];
            }
            view = unescaped;
        }
        if (!options_.decodeEntities || options_.entities == nullptr) {
            target.assign(view);
            return;
        }
        std::wstring starts;  // the characters a reference can start with
        for (const auto& entity : *options_.entities) {
            if (!entity.reference.empty()) starts += entity.reference.front();
        }
        std::wstring decoded;
        decoded.reserve(view.size());
        for (std::size_t i = 0; i < view.size();) {
            const std::size_t next = std::min(view.find_first_of(starts, i), view.size());
            decoded.append(view.substr(i, next - i));
            i = next;
            if (i == view.size()) break;
            const XmlEntity* match = nullptr;
            for (const auto& entity : *options_.entities) {
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

    // Attributes from the position up to ">" or "/" (or `limit` for a processing instruction). Returns where they
    // stopped, or nothing when the element cannot be read.
    std::optional<std::size_t> LoadAttributes(XmlNode& node, std::size_t position, std::size_t limit) {
        for (;;) {
            position = SkipWhite(position);
            if (position >= limit || At(position) == L'>' || At(position) == L'/') return position;
            const std::size_t nameEnd = FindFirstOf(position, L" =");
            if (nameEnd >= End()) {
                RecordError(XmlErrorCode::AttributeNotDelimited, position,
                            L"<" + node.name + L"> attribute has error ");
                return std::nullopt;
            }
            auto attribute = std::make_unique<XmlAttribute>();
            attribute->name = text_.substr(position, nameEnd - position);
            attribute->parent = &node;
            position = SkipWhite(nameEnd);
            if (At(position) == L'=') {
                position = SkipWhite(position + 1);
                const wchar_t quote = At(position);
                if (quote == L'"' || quote == L'\'') {
                    const std::size_t close = FindUnescaped(position + 1, quote);
                    if (close >= End()) return std::nullopt;
                    ProcessValue(position + 1, close, attribute->value);
                    position = close + 1;
                } else {
                    std::size_t valueEnd = position;
                    while (valueEnd < End() && !IsWhite(text_[valueEnd]) && text_[valueEnd] != L'>') {
                        valueEnd += options_.escape != L'\0' && text_[valueEnd] == options_.escape ? 2 : 1;
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
            if (StartsWith(position, L"<?", true)) {
                const std::size_t close = FindTerminator(position + 2, L"?>", true);
                if (close == std::wstring_view::npos) return std::nullopt;
                auto instruction =
                    std::make_unique<XmlNode>(XmlNodeType::ProcessingInstruction, &document_, &document_);
                const std::size_t nameEnd = std::min(FindFirstOf(position + 2, L" \t\r\n?>"), close);
                instruction->name = text_.substr(position + 2, nameEnd - position - 2);
                if (!LoadAttributes(*instruction, nameEnd, close)) return std::nullopt;
                document_.children.push_back(std::move(instruction));
                position = close + 2;
            } else if (StartsWith(position, L"<!--", true)) {
                if (!AppendRaw(container, XmlNodeType::Comment, L"#COMMENT", position, 4, L"-->")) return std::nullopt;
                consumedComment = true;
            } else if (StartsWith(position, L"<![CDATA[", true)) {
                if (!AppendRaw(container, XmlNodeType::CData, L"#CDATA", position, 9, L"]]>")) return std::nullopt;
                consumedComment = true;
            } else {
                return position;
            }
        }
    }

    bool AppendRaw(XmlNode& container, XmlNodeType type, const wchar_t* name, std::size_t& position,
                   std::size_t openerLength, std::wstring_view terminator) {
        const std::size_t start = position + openerLength;
        const std::size_t close = FindTerminator(start, terminator, false);
        if (close == std::wstring_view::npos) return false;
        auto node = std::make_unique<XmlNode>(type, &container, &document_);
        node->name = name;
        node->value = text_.substr(start, close - start);
        container.children.push_back(std::move(node));
        position = close + terminator.size();
        return true;
    }

    // The text up to the next unescaped "<" (or the end) as the node's value; returns where it stopped.
    std::size_t LoadText(XmlNode& node, std::size_t position) const {
        const std::size_t textEnd = FindUnescaped(position, L'<');
        ProcessValue(position, textEnd, node.value);
        return textEnd;
    }

    std::optional<std::size_t> LoadElement(XmlNode& node, std::size_t position, int depth) {
        node.children.clear();
        node.attributes.clear();

        position = text_.find(L'<', position);
        if (position == std::wstring_view::npos) return std::nullopt;
        if (At(position + 1) == L'/') return position;  // the caller's closing tag

        bool consumedComment = false;
        XmlNode& commentContainer = node.parent != nullptr ? *node.parent : document_;
        const auto afterOthers = LoadOtherNodes(commentContainer, position, consumedComment);
        if (!afterOthers) return std::nullopt;
        position = *afterOthers;
        if (consumedComment && node.parent != nullptr && node.parent->type == XmlNodeType::Element) return position;
        if (At(position) != L'<') {
            // Only text follows what was consumed: the element starts at the next "<", if any.
            position = text_.find(L'<', position);
            if (position == std::wstring_view::npos) return std::nullopt;
            if (At(position + 1) == L'/') return position;
        }

        if (depth > kMaxXmlDepth) {
            RecordError(XmlErrorCode::NestedTooDeeply, position,
                        L"Elements are nested more than " + std::to_wstring(kMaxXmlDepth) + L" levels deep.");
            return std::nullopt;
        }
        const std::size_t nameEnd = FindFirstOf(position + 1, L" />\t\r\n");
        node.name = text_.substr(position + 1, nameEnd - position - 1);
        const auto afterAttributes = LoadAttributes(node, nameEnd, End());
        if (!afterAttributes) return std::nullopt;
        position = *afterAttributes;
        if (position >= End()) return End();

        if (At(position) == L'/') {
            if (At(position + 1) == L'>') return position + 2;
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

            if (StartsWith(position, L"</")) {
                const std::size_t nameStart = SkipWhite(position + 2);
                std::size_t delimiter = nameStart;
                while (delimiter < End() && !IsWhite(text_[delimiter]) && text_[delimiter] != L'>') ++delimiter;
                if (delimiter >= End()) {
                    RecordError(XmlErrorCode::ClosingTagNotDelimited, position,
                                L"it must be closed with </" + node.name + L">");
                    return std::nullopt;
                }
                const std::wstring_view closingName = text_.substr(nameStart, delimiter - nameStart);
                if (closingName == node.name) return delimiter + 1;
                if (!options_.forceParse) {
                    RecordError(XmlErrorCode::MismatchedClosingTag, delimiter + 1,
                                L"'<" + node.name + L"> ... </" + std::wstring(closingName) + L">' is not wel-formed.");
                    return std::nullopt;
                }
                position = delimiter + 1;
            } else if (IsWhiteOnly(node.value) && At(position) != L'<') {
                // Text after a child: real text replaces a blank value (a line break before the first child); more
                // blanks keep the first ones.
                std::wstring text;
                const std::size_t textEnd = FindUnescaped(position, L'<');
                ProcessValue(position, textEnd, text);
                if (node.value.empty() || !IsWhiteOnly(text)) node.value = std::move(text);
                position = textEnd;
            }
        }
        return End();
    }

    XmlDocument& document_;
    const XmlParseOptions& options_;
    std::wstring_view text_;
};

}  // namespace

std::optional<std::size_t> XmlDocument::Load(std::wstring_view text) { return Reader(*this, text).LoadDocument(); }

}  // namespace sealwing::xml
