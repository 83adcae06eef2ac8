#pragma once

#include <string_view>

#include "outlook/ObjectModel.h"

namespace sealwing::outlook {

// The leading digits of Application.Version as a number: 11 is Outlook 2003, 12 Outlook 2007, 14 Outlook 2010;
// 0 when the text starts with no digit.
int MajorVersionOf(std::wstring_view version);

// The running Outlook's major version. UI thread only; automation errors go to the caller.
int MajorVersionOf(Application& application);

}  // namespace sealwing::outlook
