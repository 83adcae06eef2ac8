#include "platform/FormParameter.h"

namespace sealwing::platform {

std::string QuotedFormParameter(std::string_view value) {
    std::string quoted;
    quoted.reserve(value.size());
    for (const char c : value) {
        switch (c) {
            case '"':
                quoted += "%22";
                break;
            case '\r':
                quoted += "%0D";
                break;
            case '\n':
                quoted += "%0A";
                break;
            case '\0':
                quoted += "%00";
                break;
            default:
                quoted += c;
        }
    }
    return quoted;
}

}  // namespace sealwing::platform
