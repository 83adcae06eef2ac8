#pragma once

#include <windows.h>

#include <vector>

#include "addin/RegistrarScript.h"

namespace sealwing::win32 {

// Applies a registrar plan to the registry, stopping at the first failure. Deleting a key that is not there is no
// failure; a key kept because it is not empty neither.
HRESULT ExecuteRegistryPlan(const std::vector<registrar::Operation>& plan);

}  // namespace sealwing::win32
