#pragma once

#include <string>

namespace sealwing::registrar {

// regsvr32's parameters that register or unregister the 64-bit companion DLL at `companionPath` the way this DLL is
// being registered: per user ("user" to DllInstall) the companion goes under the current user's hive too, since a
// per-machine registration needs administrator rights a per-user install does not have, and fails silently.
std::wstring CompanionRegsvrParameters(const std::wstring& companionPath, bool unregister, bool perUser);

}  // namespace sealwing::registrar
