#pragma once

#include "outlook/ObjectModel.h"
#include "platform/WindowSystem.h"

namespace sealwing::compose {

// Outlook's "check spelling before sending", which Send Secure would otherwise pass by: when the user switched it on
// (HKCU "Software\Microsoft\Office\<version>\Outlook\Options\Spelling", value "Check"), Word's spelling check runs
// on the message and the user is asked whether to send. True to go on sending: also whenever the setting cannot be
// read or the window has no Word editor. A COM error of the spelling check itself goes to the caller. UI thread only.
bool PassSpellCheckGate(int outlookMajorVersion, platform::WindowHandle owner, outlook::Inspector& inspector);

}  // namespace sealwing::compose
