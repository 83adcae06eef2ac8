#include "platform/Text.h"
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

std::wstring Serialise(const XmlNode& node, const XmlDisplayOptions& options) {
    Writer writer(options);
    writer.Node(node, 0);
    return writer.Take();
}

std::wstring ConvertBack(std::wstring text) {
    for (const auto& [reference, character] :
         {std::pair{L"&lt;", L"<"}, std::pair{L"&gt;", L">"}, std::pair{L"&quot;", L"\""}, std::pair{L"&apos;", L"'"},
          std::pair{L"&amp;", L"&"}}) {
        text = platform::ReplaceAll(text, reference, character);
    }
    return text;
}

}  // namespace sealwing::xml
