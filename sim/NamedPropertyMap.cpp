#include "sim/NamedPropertyMap.h"

namespace sealwing::sim {

namespace mapi = outlook::mapi;

std::optional<std::uint32_t> NamedPropertyMap::IdOf(const mapi::NamedProperty& name, bool create) {
    const auto key = std::make_pair(name.propertySet, name.id);
    if (const auto found = ids_.find(key); found != ids_.end()) return found->second;
    if (!create || next_ > kLastId) return std::nullopt;
    const std::uint32_t id = next_++;
    ids_.emplace(key, id);
    return id;
}

outlook::HResult NamedPropertyMap::GetIDsFromNames(const std::vector<mapi::NamedProperty>& names, bool create,
                                                   std::vector<mapi::PropTag>& tags) {
    tags.clear();
    if (names.empty()) return outlook::hr::E_InvalidArg;
    bool errors = false;
    for (const mapi::NamedProperty& name : names) {
        if (const auto id = IdOf(name, create)) {
            tags.push_back((*id << 16) | mapi::PT_UNSPECIFIED);
        } else {
            tags.push_back(mapi::PT_ERROR);
            errors = true;
        }
    }
    return errors ? outlook::hr::Mapi_W_ErrorsReturned : outlook::hr::S_Ok;
}

}  // namespace sealwing::sim
