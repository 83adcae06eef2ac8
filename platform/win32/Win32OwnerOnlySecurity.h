#pragma once

#include "platform/win32/Win32Headers.h"

#include <vector>

namespace sealwing::platform::win32 {

// Security attributes whose DACL grants the current user full access and nobody else anything, protected from the
// ACEs the folder would pass down, for files that hold secrets.
class OwnerOnlySecurity {
public:
    OwnerOnlySecurity();
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

    // False, with the error, when the current user's SID or the descriptor could not be made.
    bool Ok() const { return error_ == 0; }
    DWORD Error() const { return error_; }
    SECURITY_ATTRIBUTES* Attributes() { return Ok() ? &attributes_ : nullptr; }

private:
    DWORD Build();

    std::vector<unsigned char> user_;  // TOKEN_USER with the SID after it
    std::vector<unsigned char> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    DWORD error_ = 0;
};

}  // namespace sealwing::platform::win32
