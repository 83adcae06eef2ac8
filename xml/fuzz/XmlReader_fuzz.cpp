// Coverage-guided fuzzing of the XML reader with the service's replies as seeds: whatever arrives from the network
// must parse or fail cleanly, and a parsed tree must read and serialise. The bytes are parsed as they are and as
// their widened text, and the two parses must agree.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
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

// The same bytes parsed as they arrive must give the tree, the outcome and the error of their widened text.
void CompareWithBytes(const sealwing::xml::XmlDocument& fromText, std::optional<std::size_t> textStopped,
                      std::string_view bytes) {
    using namespace sealwing::xml;
    using sealwing::platform::WideFromUtf8;
    XmlDocument fromBytes;
    const auto bytesStopped = fromBytes.Load(bytes);
    if (bytesStopped.has_value() != textStopped.has_value()) std::abort();
    if (bytesStopped && WideFromUtf8(bytes.substr(0, *bytesStopped)).size() != *textStopped) std::abort();
    const XmlParseError& byteError = fromBytes.error;
    const XmlParseError& textError = fromText.error;
    if (byteError.occurred != textError.occurred || byteError.code != textError.code ||
        byteError.message != textError.message) {
        std::abort();
    }
    if (byteError.occurred && WideFromUtf8(bytes.substr(0, byteError.position)).size() != textError.position) {
        std::abort();
    }
    if (Serialise(fromBytes) != Serialise(fromText)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sealwing::xml;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring text = sealwing::platform::WideFromUtf8(bytes);
    XmlDocument document;
    const auto stopped = document.Load(text);
    CompareWithBytes(document, stopped, bytes);
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
