#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "outlook/Mapi.h"

namespace sealwing::sim {

// The simulated stores' entry ids: four flag bytes, the store's 16-byte identity and a 32-bit serial number. The
// object model shows them as upper-case hexadecimal text, as Outlook's EntryID and StoreID do.
class EntryId {
public:
    static outlook::mapi::Binary Make(const outlook::mapi::Guid& store, std::uint32_t serial);
    static std::wstring ToHex(const outlook::mapi::Binary& entryId);
    // Nothing for text that is not an even run of hexadecimal digits; either case is accepted.
    static std::optional<outlook::mapi::Binary> FromHex(std::wstring_view text);
};

}  // namespace sealwing::sim
