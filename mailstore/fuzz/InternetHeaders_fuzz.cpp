// Coverage-guided fuzzing of the internet-header reader that tells a secure notice by its
// "x-parcelon-message-id: " header: a value comes only from a whole line that starts with the header's name.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mailstore/OutlookActions.h"
#include "platform/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sealwing;
    const std::wstring headers = platform::WideFromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const std::wstring_view name : {mailstore::kMessageIdHeader, mailstore::kServiceCopyHeader}) {
        const std::wstring value = mailstore::HeaderValueIn(headers, name);
        if (value.find_first_of(L"\r\n") != std::wstring::npos) std::abort();
        if (value != platform::ToLower(value)) std::abort();
        const std::wstring lowered = platform::ToLower(headers);
        if (!value.empty() && lowered.find(std::wstring(name) + value) == std::wstring::npos) std::abort();
    }
    return 0;
}
