#pragma once

#include <memory>
#include <string>

#include "outlook/ObjectModel.h"
#include "sim/SimObject.h"

namespace sealwing::sim {

// One installed COM add-in as Office lists it.
class SimCOMAddIn : public outlook::COMAddIn, protected SimObject {
public:
    SimCOMAddIn(std::weak_ptr<SimContext> context, std::wstring guid, std::wstring progId, std::wstring description);

    std::wstring Guid() override;
    std::wstring ProgId() override;
    std::wstring Description() override;

private:
    std::wstring guid_;
    std::wstring progId_;
    std::wstring description_;
};

}  // namespace sealwing::sim
