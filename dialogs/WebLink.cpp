#include "dialogs/WebLink.h"

#include <string>

#include "diagnostics/Log.h"
#include "platform/Platform.h"
#include "platform/UserInterface.h"
#include "platform/WebAddress.h"

namespace sealwing::dialogs {

void OpenWebLink(std::wstring_view address) {
    if (!platform::IsWebAddress(address)) {
        diagnostics::LogWrite(L"WARNING! A link to \"" + std::wstring(address) +
                              L"\" was not opened: only web addresses are opened\n");
        return;
    }
    platform::TheUserInterface().OpenLink(std::wstring(address));
}

}  // namespace sealwing::dialogs
