#pragma once

#include <memory>
#include <optional>
#include <string>

#include "outlook/Mapi.h"
#include "sim/SimMapiProp.h"

namespace sealwing::sim {

// A profile section: PR_PROFILE_NAME_W in the global section, and whatever is set on this object.
class SimProfileSection : public SimMapiProp<outlook::mapi::ProfileSection> {
public:
    SimProfileSection(std::weak_ptr<SimContext> context, outlook::mapi::Guid section, const std::wstring& profileName);

    const outlook::mapi::Guid& Section() const { return section_; }

protected:
    std::optional<outlook::mapi::PropValue> Read(outlook::mapi::PropTag tag) override;
    PropertyBag* Writable() override { return &props_; }

private:
    outlook::mapi::Guid section_;
    PropertyBag props_;
};

}  // namespace sealwing::sim
