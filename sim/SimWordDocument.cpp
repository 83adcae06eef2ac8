#include "sim/SimWordDocument.h"

namespace sealwing::sim {

void SimWordDocument::CheckSpelling() {
    Enter(L"Document.CheckSpelling");
    ++spellingChecks_;
}

}  // namespace sealwing::sim
