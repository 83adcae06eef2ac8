#include "xml/XmlDocument.h"

namespace sealwing::xml {

const XmlEntityTable& SharedEntityTable() {
    static const XmlEntityTable table = {{
        {L'&', L"&amp;"},
        {L'"', L"&quot;"},
        {L'\'', L"&apos;"},
        {L'<', L"&lt;"},
        {L'>', L"&gt;"},
    }};
    return table;
}

const XmlDisplayOptions& SharedDisplayOptions() {
    static const XmlDisplayOptions options;
    return options;
}

XmlNode* Root(const XmlDocument& document) {
    for (const auto& child : document.children) {
        if (child->type == XmlNodeType::Element) return child.get();
    }
    return nullptr;
}

XmlNode* Child(const XmlNode& node, std::wstring_view name) {
    for (const auto& child : node.children) {
        if (child->name == name) return child.get();
    }
    return nullptr;
}

XmlNode* ChildAt(const XmlNode& node, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= node.children.size()) return nullptr;
    return node.children[static_cast<std::size_t>(index)].get();
}

XmlNode& AppendChild(XmlNode& parent, std::wstring_view name, std::wstring_view value) {
    auto child = std::make_unique<XmlNode>(XmlNodeType::Element, &parent, parent.document);
    child->name = name;
    child->value = value;
    parent.children.push_back(std::move(child));
    return *parent.children.back();
}

}  // namespace sealwing::xml
