#pragma once

#include <windows.h>
#include <unknwn.h>

#include <string>
#include <vector>

#include "outlook/Mapi.h"
#include "outlook/win32/dispatch/ComTypes.h"

// The simulated Outlook's MAPI objects served as Extended MAPI serves Outlook's: real COM objects answering
// IMAPIProp and their own interface (IMessage, IAttach, IMailUser, IProfSect, IMAPIFolder, IMsgStore; IMAPISession),
// whose calls go to the simulation through the host interface, so its injected failures apply. Values come back in
// MAPI buffers (MAPIAllocateBuffer, MAPIAllocateMore) that the caller frees with one MAPIFreeBuffer each; a property
// opened as IID_IStream (OpenProperty) comes back as a served IStream to read. What the served objects do not simulate
// returns MAPI_E_NO_SUPPORT (E_NOTIMPL on a stream). Everything runs on the harness's one apartment thread.
namespace sealwing::sim::win32 {

// Nothing for a null object. Each call makes a new COM object holding its own reference to the simulated one.
sealwing::win32::ComPtr<IUnknown> ServeMapiMessage(const outlook::Ref<outlook::mapi::Message>& message);
sealwing::win32::ComPtr<IUnknown> ServeMapiFolder(const outlook::Ref<outlook::mapi::Folder>& folder);
// Attachment.MAPIOBJECT: IAttach, whose data opens as a stream as the simulated attachment's does.
sealwing::win32::ComPtr<IUnknown> ServeMapiAttachment(const outlook::Ref<outlook::mapi::Prop>& attachment);
sealwing::win32::ComPtr<IUnknown> ServeMapiMailUser(const outlook::Ref<outlook::mapi::MailUser>& user);
sealwing::win32::ComPtr<IUnknown> ServeMapiSession(const outlook::Ref<outlook::mapi::Session>& session);

// The calls whose flags matter, as the served objects received them, in order: "Session.OpenMsgStore 0x00000011",
// "MsgStore.OpenEntry 0x00000010", "Session.OpenProfileSection 0x00000000", "Folder.DeleteMessages 1",
// "Folder.CreateMessage 0x00000000", "Message.CopyTo 0x00000000", "Message.SaveChanges 0x00000002".
std::vector<std::wstring>& MapiCallJournal();
// Served MAPI objects not yet released by their last holder.
long LiveMapiObjects();

}  // namespace sealwing::sim::win32
