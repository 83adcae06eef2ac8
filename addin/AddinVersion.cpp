#include "addin/AddinVersion.h"

#include <charconv>

namespace sealwing {
namespace {

// Reads a decimal number at the front of the text and drops it; nothing read leaves the value 0.
int TakeNumber(std::string_view& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc()) return 0;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

}  // namespace

AddinVersion ParseAddinVersion(std::string_view text) {
    constexpr std::string_view kOpen = "<version>";
    const auto start = text.find(kOpen);
    if (start == std::string_view::npos) return {};
    text.remove_prefix(start + kOpen.size());
    AddinVersion version;
    version.major = TakeNumber(text);
    if (!text.empty() && text.front() == '.') {
        text.remove_prefix(1);
        version.minor = TakeNumber(text);
    }
    return version;
}

const AddinVersion& TheAddinVersion() {
    static const AddinVersion version = ParseAddinVersion(kBuiltInVersionText);
    return version;
}

}  // namespace sealwing
