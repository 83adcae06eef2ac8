#pragma once

#include <memory>

namespace sealwing::outlook {

// An owned reference to an Outlook object: released when the last Ref goes (never a bare Release).
// An empty Ref is "Nothing", as Outlook returns for an absent object.
template <class T>
using Ref = std::shared_ptr<T>;

}  // namespace sealwing::outlook
