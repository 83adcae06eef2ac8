// Coverage-guided fuzzing of the XML reader with the service's replies as seeds: whatever arrives from the network
// must parse or fail cleanly, and a parsed tree must read and serialise.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/Text.h"
#include "xml/XmlDocument.h"

namespace {

void Walk(const sealwing::xml::XmlNode& node, int depth) {
    if (depth > sealwing::xml::kMaxXmlDepth + 2) std::abort();  // the depth limit did not hold
    for (const auto& child : node.children) {
        if (child->parent != &node) std::abort();
        Walk(*child, depth + 1);
    }
    for (const auto& attribute : node.attributes) {
        if (attribute->parent != &node) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sealwing::xml;
    const std::wstring text =
        sealwing::platform::WideFromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    XmlDocument document;
    const auto stopped = document.Load(text);
    if (!stopped) {
        if (Root(document) != nullptr) std::abort();  // a failed parse leaves no element
        return 0;
    }
    if (*stopped > text.size()) std::abort();
    Walk(document, 0);
    (void)Text(document);
    (void)Serialise(document);
    return 0;
}
