// Coverage-guided fuzzing of the Linux settings file's reader: a damaged file is refused with a problem named (the
// add-in then starts from defaults), and a file that reads writes back to a text that reads the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/posix/RegistryFileFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sealwing::platform;
    const RegistryParseResult parsed = ParseRegistry(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed.ok) {
        if (parsed.problem.empty()) std::abort();
        return 0;
    }
    const std::string written = SerializeRegistry(parsed.root);
    const RegistryParseResult again = ParseRegistry(written);
    if (!again.ok || SerializeRegistry(again.root) != written) std::abort();
    return 0;
}
