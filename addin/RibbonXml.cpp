#include "addin/RibbonXml.h"

#include "RibbonXmlBytes.h"  // written by the build from resources/Ribbon*.xml
#include "platform/Text.h"

namespace sealwing {
namespace {

template <std::size_t Size>
std::wstring TextOf(const unsigned char (&bytes)[Size]) {
    return platform::WideFromUtf8(std::string_view(reinterpret_cast<const char*>(bytes), Size));
}

}  // namespace

std::wstring RibbonXmlFor(std::wstring_view ribbonId) {
    if (ribbonId == kComposeRibbonId) return TextOf(kComposeRibbonBytes);
    if (ribbonId == kExplorerRibbonId) return TextOf(kExplorerRibbonBytes);
    return {};
}

}  // namespace sealwing
