#pragma once

#include <windows.h>
#include <ocidl.h>

namespace sealwing::win32 {

// The ribbon button's 48x48 picture: the PNG resource 207 decoded with GDI+ into a bitmap (transparent pixels on
// opaque black) and wrapped in a picture object that owns the bitmap.
HRESULT LoadButtonPicture(IPictureDisp** picture);

}  // namespace sealwing::win32
