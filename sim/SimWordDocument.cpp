#include "sim/SimWordDocument.h"

#include "sim/SimCommandBars.h"

namespace sealwing::sim {

void SimWordDocument::CheckSpelling() {
    Enter(L"Document.CheckSpelling");
    ++spellingChecks_;
}

outlook::Ref<outlook::CommandBars> SimWordDocument::CommandBars() {
    return Enter(L"Document.CommandBars")->Model().wordCommandBars;
}

}  // namespace sealwing::sim
