#pragma once

#include <windows.h>
#include <oaidl.h>

#include "outlook/ObjectModel.h"
#include "outlook/win32/dispatch/ComTypes.h"

namespace sealwing::sim::win32 {

// The simulated object served as Outlook serves it through IDispatch: Outlook's member names for its kind
// (Application, NameSpace, Explorers, Explorer, Selection, Inspectors, Inspector, MailItem, MAPIFolder, Store,
// Recipients, Recipient, AddressEntry, ExchangeUser, Accounts, Account, UserProperties, UserProperty, Attachments,
// Attachment, COMAddIns, COMAddIn, Office's CommandBars, CommandBar, CommandBarControls and CommandBarControl; Word's
// Document behind Inspector.WordEditor, answering Word's _Document interface), IOleWindow
// on windows (see FrameWindows), connection points where Outlook has them, and each MAPIOBJECT as the served MAPI
// object (see ServeMapi). A served object passed back as an argument (Inspectors.Add) reaches the simulation as the
// object it serves. An object of another kind is served with no members. An empty pointer for Nothing. Each call makes
// a new server object; every member call goes to the simulation through the host interface, so its version rules,
// thread checks and injected failures apply.
sealwing::win32::ComPtr<IDispatch> ServeObject(const outlook::Ref<outlook::Object>& object);

}  // namespace sealwing::sim::win32
