#include "platform/SafeFileName.h"

#include <array>

#include "platform/Text.h"

namespace sealwing::platform {
namespace {

// Windows' limit for one path component is 255; this leaves room for the folder's own length.
constexpr std::size_t kMaxNameLength = 128;
constexpr std::wstring_view kFallbackName = L"attachment";

bool IsForbidden(wchar_t c) {
    return c < 0x20 || c == 0x7F || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos;
}

// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9 name devices whatever extension follows them.
bool IsDeviceName(std::wstring_view name) {
    const std::wstring stem = ToUpper(name.substr(0, name.find(L'.')));
    constexpr std::array<std::wstring_view, 4> kDevices = {L"CON", L"PRN", L"AUX", L"NUL"};
    for (const std::wstring_view device : kDevices) {
        if (stem == device) return true;
    }
    return stem.size() == 4 && (stem.starts_with(L"COM") || stem.starts_with(L"LPT")) && stem[3] >= L'1' &&
           stem[3] <= L'9';
}

std::wstring CutToLength(std::wstring name) {
    if (name.size() <= kMaxNameLength) return name;
    const auto dot = name.rfind(L'.');
    const std::size_t extension = dot == std::wstring::npos ? 0 : name.size() - dot;
    if (extension == 0 || extension > kMaxNameLength / 2) return name.substr(0, kMaxNameLength);
    return name.substr(0, kMaxNameLength - extension) + name.substr(dot);
}

}  // namespace

std::wstring SafeFileName(std::wstring_view name) {
    if (const auto separator = name.find_last_of(L"/\\:"); separator != std::wstring_view::npos) {
        name.remove_prefix(separator + 1);
    }
    std::wstring safe;
    safe.reserve(name.size());
    for (const wchar_t c : name) safe.push_back(IsForbidden(c) ? L'_' : c);
    const auto first = safe.find_first_not_of(L' ');
    safe.erase(0, first == std::wstring::npos ? safe.size() : first);
    // Cut first: a cut can end the name in a dot or a blank, which Windows would drop from the file's name.
    safe = CutToLength(std::move(safe));
    while (!safe.empty() && (safe.back() == L'.' || safe.back() == L' ')) safe.pop_back();
    if (safe.empty()) return std::wstring(kFallbackName);
    if (IsDeviceName(safe)) safe.insert(0, 1, L'_');
    return safe;
}

}  // namespace sealwing::platform
