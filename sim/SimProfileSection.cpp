#include "sim/SimProfileSection.h"

#include <utility>

namespace sealwing::sim {

SimProfileSection::SimProfileSection(std::weak_ptr<SimContext> context, outlook::mapi::Guid section,
                                     const std::wstring& profileName)
    : SimMapiProp(std::move(context), L"ProfileSection"), section_(section) {
    if (section_ == outlook::mapi::pbGlobalProfileSectionGuid)
        props_.SetText(outlook::mapi::PR_PROFILE_NAME_W, profileName);
}

std::optional<outlook::mapi::PropValue> SimProfileSection::Read(outlook::mapi::PropTag tag) { return props_.Find(tag); }

}  // namespace sealwing::sim
