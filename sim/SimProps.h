#pragma once

#include <cstdint>

#include "outlook/Mapi.h"

// MAPI property tags and flags the simulated stores hold beyond those the host interface names.
namespace sealwing::sim::prop {

using outlook::mapi::PropTag;

inline constexpr PropTag PR_SUBJECT_W = 0x0037001F;
inline constexpr PropTag PR_SENDER_NAME_W = 0x0C1A001F;
inline constexpr PropTag PR_SENDER_ADDRTYPE_W = 0x0C1E001F;
inline constexpr PropTag PR_SENDER_EMAIL_ADDRESS_W = 0x0C1F001F;
inline constexpr PropTag PR_HASATTACH = 0x0E1B000B;
inline constexpr PropTag PR_BODY_W = 0x1000001F;
inline constexpr PropTag PR_DISPLAY_NAME_W = 0x3001001F;
inline constexpr PropTag PR_ADDRTYPE_W = 0x3002001F;
inline constexpr PropTag PR_EMAIL_ADDRESS_W = 0x3003001F;
inline constexpr PropTag PR_CONTENT_COUNT = 0x36020003;

// PR_MESSAGE_FLAGS bits.
inline constexpr std::int32_t MSGFLAG_READ = 0x1;
inline constexpr std::int32_t MSGFLAG_UNMODIFIED = 0x2;
inline constexpr std::int32_t MSGFLAG_UNSENT = 0x8;
inline constexpr std::int32_t MSGFLAG_HASATTACH = 0x10;

}  // namespace sealwing::sim::prop
