#pragma once

#include "reading/ExplorerExtension.h"

namespace sealwing {

// The main window's temporary "Parcelon" command bar, whose popup holds Configuration and About, for Outlook 2003
// and 2007 (2010 shows the ribbon instead). Built once per window; a failed attempt is logged and tried again at the
// window's next activation. UI thread only.
void BuildCommandBar(CExplorerExtension& extension, int outlookMajorVersion);

}  // namespace sealwing
