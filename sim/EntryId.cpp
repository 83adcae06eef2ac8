#include "sim/EntryId.h"

namespace sealwing::sim {

namespace mapi = outlook::mapi;

namespace {

int DigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

}  // namespace

mapi::Binary EntryId::Make(const mapi::Guid& store, std::uint32_t serial) {
    mapi::Binary id(4, 0);
    id.insert(id.end(), store.begin(), store.end());
    for (int shift = 0; shift < 32; shift += 8) id.push_back(static_cast<std::uint8_t>(serial >> shift));
    return id;
}

std::wstring EntryId::ToHex(const mapi::Binary& entryId) {
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text;
    text.reserve(entryId.size() * 2);
    for (const std::uint8_t byte : entryId) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0xF]);
    }
    return text;
}

std::optional<mapi::Binary> EntryId::FromHex(std::wstring_view text) {
    if (text.size() % 2 != 0) return std::nullopt;
    mapi::Binary bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = DigitValue(text[i]);
        const int low = DigitValue(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

}  // namespace sealwing::sim
