#pragma once

#include <windows.h>
#include <unknwn.h>

#include "outlook/Mapi.h"

struct IMAPISession;

// The host interface's MAPI objects over Extended MAPI's interfaces, for the DLL. Each adapter keeps one reference
// to its interface and releases it when the last Ref goes; every buffer a call receives is freed inside the call.
// UI thread only, as MAPI is used there.
namespace sealwing::outlook::win32 {

// The object queried for the interface of the kind (IMessage, IMailUser, IMAPISession, ...); nothing for a null
// object or one that does not answer it. Each adds its own reference.
Ref<mapi::Message> WrapMessage(IUnknown* object);
Ref<mapi::Folder> WrapFolder(IUnknown* object);
Ref<mapi::MailUser> WrapMailUser(IUnknown* object);
Ref<mapi::Prop> WrapProp(IUnknown* object);
Ref<mapi::Session> WrapSession(IUnknown* object);
// The most specific kind the object answers: a folder (IMAPIFolder), a message (IMessage), or a plain property
// object (IMAPIProp).
Ref<mapi::Prop> WrapOpenedEntry(IUnknown* object);

// The MAPI session behind a session this adapter made (no reference added); null for any other session.
IMAPISession* RawSession(const mapi::Session& session);

}  // namespace sealwing::outlook::win32
