#pragma once

#include <optional>

#include "outlook/ObjectModel.h"
#include "service/OutgoingMessage.h"

namespace sealwing::compose {

// Where attachments that no MAPI stream gives are saved for a moment: this folder inside the add-in's local folder
// ("<local application data>/Parcelon"), so that an attachment's name can never meet an activity log's file there.
inline constexpr const wchar_t* kScratchFolderName = L"Outgoing";

// One attachment of a draft, read whole: its data as a MAPI stream (PR_ATTACH_DATA_BIN, then PR_ATTACH_DATA_OBJ),
// else the copy Outlook saves to a scratch file (an attached Outlook item), which is deleted at once however the
// reading went. The stream is read until its whole size has arrived, however little each read returns. Nothing when
// the attachment cannot be read whole (the reason is logged): the message then goes without it, never with part of
// it. The bytes are held once, in the result. UI thread only; automation errors of FileName and MAPIOBJECT go to the
// caller.
std::optional<service::OutgoingAttachment> ReadAttachment(outlook::Attachment& attachment);

}  // namespace sealwing::compose
