#include "addin/CompanionRegistration.h"

namespace sealwing::registrar {

std::wstring CompanionRegsvrParameters(const std::wstring& companionPath, bool unregister, bool perUser) {
    std::wstring parameters = L"/s ";
    if (unregister) parameters += L"/u ";
    // /n: not DllRegisterServer but DllInstall alone, with "user" as its command line.
    if (perUser) parameters += L"/n /i:user ";
    return parameters + L"\"" + companionPath + L"\"";
}

}  // namespace sealwing::registrar
