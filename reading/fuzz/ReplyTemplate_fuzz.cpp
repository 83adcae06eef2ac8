// Coverage-guided fuzzing of the reply template's filling with hostile values, and of the names the forward's
// downloads are saved under: values that look like placeholders, markup or paths are inserted once and as they are,
// and a saved name never leaves its folder.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SafeFileName.h"
#include "platform/Text.h"
#include "reading/ReplyTemplate.h"
#include "service/SecureMessage.h"

namespace {

// The input's fields, separated by NUL bytes.
std::vector<std::wstring> Fields(std::string_view bytes) {
    std::vector<std::wstring> fields;
    std::size_t from = 0;
    for (std::size_t at = bytes.find('\0'); at != std::string_view::npos; at = bytes.find('\0', from)) {
        fields.push_back(sealwing::platform::WideFromUtf8(bytes.substr(from, at - from)));
        from = at + 1;
    }
    fields.push_back(sealwing::platform::WideFromUtf8(bytes.substr(from)));
    return fields;
}

void CheckSafeFileName(const std::wstring& name) {
    const std::wstring safe = sealwing::platform::SafeFileName(name);
    if (safe.empty() || safe == L"." || safe == L"..") std::abort();
    for (const wchar_t c : safe) {
        if (c < 0x20 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos) std::abort();
    }
    if (safe.back() == L'.' || safe.back() == L' ') std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::wstring> fields = Fields(std::string_view(reinterpret_cast<const char*>(data), size));
    fields.resize(std::max<std::size_t>(fields.size(), 7));

    sealwing::service::SecureMessage message;
    message.body = fields[0];
    message.subject = fields[1];
    message.sender_name = fields[2];
    message.sender_email = fields[3];
    message.to = {fields[4]};
    if (!fields[5].empty()) message.cc = {fields[5]};
    static const std::wstring kTemplate = sealwing::reading::LoadReplyTemplate();
    const std::wstring filled = sealwing::reading::FillReplyTemplate(kTemplate, message, fields[6]);
    // One pass: the text grows by the values at most once per placeholder, never by re-expanding a value.
    std::size_t values = 0;
    for (const auto& field : fields) values += field.size();
    if (filled.size() > kTemplate.size() + 16 * values) std::abort();
    if (filled.find(message.body) == std::wstring::npos) std::abort();

    for (const auto& field : fields) CheckSafeFileName(field);
    return 0;
}
