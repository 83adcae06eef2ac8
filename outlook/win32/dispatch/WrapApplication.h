#pragma once

#include <windows.h>
#include <oaidl.h>

#include "outlook/ObjectModel.h"

namespace sealwing::outlook::win32 {

// The host object OnConnection receives, as the portable add-in takes it: Outlook's Application, reached through
// IDispatch. Adds its own reference; nullptr for a null host. UI thread only, as every object reached from it.
outlook::Ref<outlook::Object> WrapApplication(IDispatch* application);

}  // namespace sealwing::outlook::win32
