#pragma once

#include "diagnostics/LogHeaderFacts.h"
#include "outlook/ObjectModel.h"

namespace sealwing {

// What the log header says of the running Outlook: its version, its COM add-ins and the user's accounts. UI thread
// only. Never throws: a failure that cuts the gathering short is kept in gatherError.
diagnostics::LogHeaderFacts GatherLogHeaderFacts(const outlook::Ref<outlook::Application>& application);

}  // namespace sealwing
