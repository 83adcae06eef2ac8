#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "outlook/Mapi.h"

struct _SPropValue;

// MAPI property values in both directions, shared by the DLL's adapters and the harness's served objects. A
// property of a type the host interface does not carry (64-bit numbers, reals, ...) reads as an empty value.
namespace sealwing::outlook::win32 {

// MAPIFreeBuffer on destruction: the owner of a buffer MAPI handed out (an SPropValue array, a tag array, ...).
struct MapiBufferDeleter {
    void operator()(void* buffer) const;
};
template <class T>
using MapiBuffer = std::unique_ptr<T, MapiBufferDeleter>;

// One MAPI value as the host interface holds it; PT_ERROR becomes a PropError with its code.
mapi::PropValue FromSPropValue(const _SPropValue& value);

// The values as one MAPI buffer (MAPIAllocateBuffer, with strings and binaries in MAPIAllocateMore blocks linked to
// it), which the receiver frees with a single MAPIFreeBuffer. A PropError becomes PT_ERROR with its code; an empty
// value PT_NULL. Fails with MAPI_E_NOT_ENOUGH_MEMORY, leaving `out` null.
HRESULT ToSPropValues(const std::vector<mapi::PropValue>& values, _SPropValue** out);

// A portable property-set identifier as a COM GUID, and back (both are the same 16 bytes in memory order).
GUID ToGuid(const mapi::Guid& guid);
mapi::Guid FromGuid(const GUID& guid);

}  // namespace sealwing::outlook::win32
