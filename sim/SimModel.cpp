#include "sim/SimModel.h"

#include "platform/Text.h"
#include "sim/SimStore.h"

namespace sealwing::sim {

outlook::Ref<SimStore> SimModel::StoreNamed(const std::wstring& displayName) const {
    for (const auto& candidate : stores) {
        if (candidate->Name() == displayName) return candidate;
    }
    return nullptr;
}

outlook::Ref<SimStore> SimModel::StoreWithEntryId(const outlook::mapi::Binary& storeEntryId) const {
    for (const auto& candidate : stores) {
        if (candidate->EntryIdBytes() == storeEntryId) return candidate;
    }
    return nullptr;
}

outlook::Ref<SimStore> SimModel::StoreWithId(const std::wstring& storeId) const {
    for (const auto& candidate : stores) {
        if (platform::EqualsIgnoreCase(candidate->StoreId(), storeId)) return candidate;
    }
    return nullptr;
}

}  // namespace sealwing::sim
