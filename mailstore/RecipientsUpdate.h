#pragma once

#include <string>

#include "outlook/ObjectModel.h"

namespace sealwing::mailstore {

// The custom property that marks a notice whose recipients were replaced by the secure message's.
inline constexpr const wchar_t* kRecipientsUpdatedProperty = L"x-parcelon-recipients-updated";

// A notice names only its own receiver, so Reply All would miss the secure message's other recipients: the first
// time it is displayed, its recipients become the message's To and CC lists as the service stores them, and the
// item is marked so that it happens once. A failed download leaves the item unmarked, to be tried at the next
// display. `messageId` is the message's id on the service (read from the item when empty). True when the item was
// updated now. UI thread only; automation errors go to the caller.
bool UpdateRecipientsFromService(const outlook::Ref<outlook::MailItem>& item, std::wstring messageId);

}  // namespace sealwing::mailstore
