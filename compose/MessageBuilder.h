#pragma once

#include <string_view>

#include "outlook/ObjectModel.h"
#include "platform/WindowSystem.h"
#include "service/OutgoingMessage.h"

namespace sealwing::compose {

// The draft as the record the send queue uploads: saved first, then its subject, its recipients by type (SMTP
// addresses joined with ";"), its HTML body for a pro account and its plain body otherwise, every attachment's bytes,
// the sender's settings and whether the sender is a Google Apps account. `sender` is the address the message goes
// from; empty: the item's own sending account. Finding out whether the account is pro may ask for its password, over
// `owner`; a cancelled or failed login only makes the body plain. An attachment that cannot be read whole is left out
// (logged). UI thread only; automation errors go to the caller, and then nothing was built.
service::OutgoingMessage Build(const outlook::Ref<outlook::MailItem>& item, std::wstring_view sender,
                               platform::WindowHandle owner = platform::kNoWindow);

}  // namespace sealwing::compose
