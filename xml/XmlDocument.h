#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The system's own compact, forgiving XML reader and writer for the service's replies and the credentials file.
// Not a validating parser: names are taken verbatim, only the five predefined entity references are known, a
// backslash escapes the character after it inside text, and the parse stops quietly at the end of the input.
namespace sealwing::xml {

enum class XmlNodeType { Element = 0, ProcessingInstruction = 1, Comment = 2, CData = 3, Document = 4 };

enum class XmlErrorCode {
    None = 0,
    ElementNotClosed = 1,        // "/" in a start tag not followed by ">"
    ClosingTagNotDelimited = 2,  // a closing tag's name not followed by a blank or ">"
    MismatchedClosingTag = 3,    // the closing tag names another element
    AttributeNotDelimited = 4,   // an attribute name followed by neither a blank nor "="
    NestedTooDeeply = 5,         // more than kMaxXmlDepth elements inside one another
};

// Deeper nesting than this is refused: a reply from the network must not be able to exhaust the stack.
inline constexpr int kMaxXmlDepth = 256;

struct XmlEntity {
    wchar_t character;
    std::wstring_view reference;
};

// The five predefined references, in the order they are tried.
using XmlEntityTable = std::array<XmlEntity, 5>;
const XmlEntityTable& SharedEntityTable();

struct XmlParseOptions {
    bool trimValues = false;
    bool decodeEntities = true;
    const XmlEntityTable* entities = &SharedEntityTable();
    wchar_t escape = L'\\';   // L'\0' for none
    bool forceParse = false;  // tolerate a closing tag that names another element
};

struct XmlParseError {
    bool occurred = false;
    std::size_t position = 0;  // offset in the parsed text
    XmlErrorCode code = XmlErrorCode::None;
    std::wstring message;
};

struct XmlDisplayOptions {
    bool newlineAndIndent = true;
    bool encodeEntities = true;
    wchar_t attributeQuote = L'"';
};
const XmlDisplayOptions& SharedDisplayOptions();

class XmlDocument;
class XmlNode;

struct XmlAttribute {
    std::wstring name;
    std::wstring value;
    XmlNode* parent = nullptr;
};

class XmlNode {
public:
    XmlNode(XmlNodeType type, XmlNode* parent, XmlDocument* document)
        : type(type), parent(parent), document(document) {}
    virtual ~XmlNode() = default;
    XmlNode(const XmlNode&) = delete;
    XmlNode& operator=(const XmlNode&) = delete;

    std::wstring name;
    std::wstring value;
    XmlNodeType type;
    XmlNode* parent;
    XmlDocument* document;
    std::vector<std::unique_ptr<XmlNode>> children;
    std::vector<std::unique_ptr<XmlAttribute>> attributes;
};

class XmlDocument final : public XmlNode {
public:
    XmlDocument() : XmlNode(XmlNodeType::Document, nullptr, this) {}
    explicit XmlDocument(XmlParseOptions options) : XmlDocument() { this->options = options; }

    // Parses the text (up to its first NUL) into this document: the position where parsing stopped, or nothing on
    // failure, when the document holds no element and `error` says why. Never throws.
    std::optional<std::size_t> Load(std::wstring_view text);
    // The same parse of UTF-8 bytes as they arrive, with the same tree as the widened bytes would give; positions are
    // offsets in the bytes (in the widened text when the escape is not ASCII).
    std::optional<std::size_t> Load(std::string_view utf8);

    XmlParseOptions options;
    XmlParseError error;
};

// The first element child of the document, or null.
XmlNode* Root(const XmlDocument& document);
// The first child whose name equals `name` exactly (case-sensitive), or null.
XmlNode* Child(const XmlNode& node, std::wstring_view name);
// The child at the index, or null when the index is negative or past the end.
XmlNode* ChildAt(const XmlNode& node, int index);
// A new element appended at the end of the parent's children.
XmlNode& AppendChild(XmlNode& parent, std::wstring_view name, std::wstring_view value);

// The node's text: the texts of its children followed by its own value, whose special characters come back as
// references ("a & b" reads "a &amp; b"); callers that need plain text turn the references back themselves.
std::wstring Text(const XmlNode& node);
// The node's text as Text gives it, moved out of the node where it stands whole (a value that needs no references, or
// a lone CDATA section), so a long text is not copied; the node's texts are left unspecified.
std::wstring TakeText(XmlNode& node);
// The node as indented text: CR LF and one tab per level before every node.
std::wstring Serialise(const XmlNode& node, const XmlDisplayOptions& options = SharedDisplayOptions());
// The text with the five special characters written as references.
std::wstring EncodeEntities(std::wstring_view text, const XmlEntityTable& table = SharedEntityTable());
// "&lt;", "&gt;", "&quot;", "&apos;" and then "&amp;" back to their characters: what callers apply to a text whose
// entity references the reader left as they were.
std::wstring ConvertBack(std::wstring text);

}  // namespace sealwing::xml
