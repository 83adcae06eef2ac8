#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "outlook/Mapi.h"

namespace sealwing::sim {

// A store's mapping of named properties to property ids: 0x8000 upwards in order of first use, stable per
// (property set, id) for the life of the store.
class NamedPropertyMap {
public:
    static constexpr std::uint32_t kFirstId = 0x8000;
    static constexpr std::uint32_t kLastId = 0xFFFE;

    // The id of the name; a new one when `create` is set. Nothing when unknown and not created, or the ids are used up.
    std::optional<std::uint32_t> IdOf(const outlook::mapi::NamedProperty& name, bool create);

    // GetIDsFromNames: tags of type PT_UNSPECIFIED in the order asked; a name without an id gets PT_ERROR (id 0) and
    // the call returns MAPI_W_ERRORS_RETURNED.
    outlook::HResult GetIDsFromNames(const std::vector<outlook::mapi::NamedProperty>& names, bool create,
                                     std::vector<outlook::mapi::PropTag>& tags);

    std::size_t Size() const { return ids_.size(); }

private:
    std::map<std::pair<outlook::mapi::Guid, std::uint32_t>, std::uint32_t> ids_;
    std::uint32_t next_ = kFirstId;
};

}  // namespace sealwing::sim
