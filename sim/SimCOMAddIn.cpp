#include "sim/SimCOMAddIn.h"

#include <utility>

namespace sealwing::sim {

SimCOMAddIn::SimCOMAddIn(std::weak_ptr<SimContext> context, std::wstring guid, std::wstring progId,
                         std::wstring description)
    : SimObject(std::move(context)),
      guid_(std::move(guid)),
      progId_(std::move(progId)),
      description_(std::move(description)) {}

std::wstring SimCOMAddIn::Guid() {
    Enter(L"COMAddIn.Guid");
    return guid_;
}

std::wstring SimCOMAddIn::ProgId() {
    Enter(L"COMAddIn.ProgId");
    return progId_;
}

std::wstring SimCOMAddIn::Description() {
    Enter(L"COMAddIn.Description");
    return description_;
}

}  // namespace sealwing::sim
