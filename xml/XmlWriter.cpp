#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string_view>
#include <utility>

#include "xml/XmlDocument.h"

namespace sealwing::xml {
namespace {

class Writer {
public:
    explicit Writer(const XmlDisplayOptions& options) : options_(options) {}

    void Node(const XmlNode& node, int depth) {
        NewLine(depth);
        switch (node.type) {
            case XmlNodeType::Document:
                for (const auto& child : node.children) Node(*child, depth);
                break;
            case XmlNodeType::ProcessingInstruction:
                out_ += L"<?" + node.name;
                Attributes(node);
                out_ += L"?>";
                break;
            case XmlNodeType::Comment:
                out_ += L"<!--" + node.value + L"-->";
                break;
            case XmlNodeType::CData:
                out_ += L"<![CDATA[" + node.value + L"]]>";
                break;
            case XmlNodeType::Element:
                Element(node, depth);
                break;
        }
    }

    std::wstring Take() { return std::move(out_); }

private:
    void Element(const XmlNode& node, int depth) {
        out_ += L"<" + node.name;
        Attributes(node);
        if (node.children.empty() && node.value.empty()) {
            out_ += L"/>";
            return;
        }
        out_ += L">";
        const bool nested = !node.children.empty();
        for (const auto& child : node.children) Node(*child, depth + 1);
        if (!node.value.empty()) {
            if (nested) NewLine(depth + 1);
            out_ += Encoded(node.value);
        }
        if (nested) NewLine(depth);
        out_ += L"</" + node.name + L">";
    }

    void Attributes(const XmlNode& node) {
        if (node.attributes.empty()) return;
        out_ += L" ";
        for (const auto& attribute : node.attributes) {
            out_ += attribute->name + L"=" + options_.attributeQuote + Encoded(attribute->value) +
                    options_.attributeQuote + L" ";
        }
    }

    void NewLine(int depth) {
        if (!options_.newlineAndIndent) return;
        out_ += L"\r\n";
        out_.append(static_cast<std::size_t>(depth), L'\t');
    }

    std::wstring Encoded(const std::wstring& text) const {
        return options_.encodeEntities ? EncodeEntities(text) : text;
    }

    const XmlDisplayOptions& options_;
    std::wstring out_;
};

void AppendText(const XmlNode& node, std::wstring& out) {
    switch (node.type) {
        case XmlNodeType::Document:
            for (const auto& child : node.children) AppendText(*child, out);
            break;
        case XmlNodeType::ProcessingInstruction:
        case XmlNodeType::Comment:
            break;
        case XmlNodeType::CData:
            out += node.value;
            break;
        case XmlNodeType::Element:
            for (const auto& child : node.children) AppendText(*child, out);
            out += SharedDisplayOptions().encodeEntities ? EncodeEntities(node.value) : node.value;
            break;
    }
}

}  // namespace

std::wstring EncodeEntities(std::wstring_view text, const XmlEntityTable& table) {
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t c : text) {
        const XmlEntity* entity = nullptr;
        for (const auto& row : table) {
            if (row.character == c) {
                entity = &row;
                break;
            }
        }
        if (entity != nullptr) {
            out += entity->reference;
        } else {
            out += c;
        }
    }
    return out;
}

std::wstring Text(const XmlNode& node) {
    std::wstring out;
    AppendText(node, out);
    return out;
}

std::wstring TakeText(XmlNode& node) {
    if (node.type == XmlNodeType::Element) {
        const auto& table = SharedEntityTable();
        const auto special = [&table](wchar_t c) {
            return std::any_of(table.begin(), table.end(),
                               [c](const XmlEntity& entity) { return entity.character == c; });
        };
        const bool encodes = SharedDisplayOptions().encodeEntities;
        if (node.children.empty() && !(encodes && std::any_of(node.value.begin(), node.value.end(), special))) {
            return std::move(node.value);
        }
        if (node.value.empty() && node.children.size() == 1 && node.children.front()->type == XmlNodeType::CData) {
            return std::move(node.children.front()->value);
        }
    }
    return Text(node);
}

std::wstring Serialise(const XmlNode& node, const XmlDisplayOptions& options) {
    Writer writer(options);
    writer.Node(node, 0);
    return writer.Take();
}

// One pass: references cannot overlap (each runs from "&" to ";" with neither inside), and what one stands for is no
// part of another, so turning each back where it stands gives what turning back one kind after the other would.
std::wstring ConvertBack(std::wstring text) {
    static constexpr std::pair<std::wstring_view, wchar_t> kReferences[] = {
        {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&apos;", L'\''}, {L"&amp;", L'&'}};
    std::size_t from = text.find(L'&');
    if (from == std::wstring::npos) return text;
    std::size_t to = from;        // the text is rewritten in place: it only ever shrinks
    while (from < text.size()) {  // at an "&"
        const std::wstring_view rest = std::wstring_view(text).substr(from);
        const auto reference = std::find_if(std::begin(kReferences), std::end(kReferences),
                                            [rest](const auto& entry) { return rest.starts_with(entry.first); });
        if (reference != std::end(kReferences)) {
            text[to++] = reference->second;
            from += reference->first.size();
        } else {
            text[to++] = text[from++];
        }
        const std::size_t next = std::min(text.find(L'&', from), text.size());
        std::copy(text.begin() + static_cast<std::ptrdiff_t>(from), text.begin() + static_cast<std::ptrdiff_t>(next),
                  text.begin() + static_cast<std::ptrdiff_t>(to));
        to += next - from;
        from = next;
    }
    text.resize(to);
    return text;
}

}  // namespace sealwing::xml
