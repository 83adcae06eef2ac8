#pragma once

#include <string_view>

#include "SealwingVersion.h"

namespace sealwing {

// The add-in's own version, as the built-in version text gives it.
struct AddinVersion {
    int major = 0;
    int minor = 0;
};

inline constexpr std::string_view kBuiltInVersionText = "<plugin><version>" SEALWING_VERSION_TEXT "</version></plugin>";

// Reads "major.minor" from the text's "version" element; 0.0 when it has none.
AddinVersion ParseAddinVersion(std::string_view text);

// The built-in version, parsed once.
const AddinVersion& TheAddinVersion();

}  // namespace sealwing
