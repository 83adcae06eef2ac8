#include <windows.h>

#include "platform/Text.h"

namespace sealwing::platform {

std::string AnsiFromWide(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring WideFromAnsi(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, nullptr, 0);
    if (size <= 0) return {};
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_THREAD_ACP, 0, bytes.data(), length, out.data(), size);
    return out;
}

}  // namespace sealwing::platform
