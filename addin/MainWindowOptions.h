#pragma once

#include "outlook/ObjectModel.h"
#include "platform/WindowSystem.h"

namespace sealwing {

// The options dialog opened from a main window, for the profile's own address: the current user's, or for an
// Exchange user its mapped address (Outlook 2003) or its primary SMTP address (2007 on). What Outlook cannot tell is
// logged, and the dialog opens with the address as far as it was found. Modal over `owner`. UI thread only.
void ShowMainWindowOptions(const outlook::Ref<outlook::Application>& application, int outlookMajorVersion,
                           platform::WindowHandle owner);

}  // namespace sealwing
