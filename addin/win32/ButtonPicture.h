#pragma once

#include <windows.h>
#include <ocidl.h>

#include "outlook/win32/dispatch/ButtonPictureMaker.h"

// Pictures of the DLL's image resources, each a bitmap wrapped in a picture object that owns it.
namespace sealwing::win32 {

// The ribbon button's 48x48 picture: the PNG resource 207 decoded with GDI+ into a bitmap (transparent pixels on
// opaque black).
HRESULT LoadButtonPicture(IPictureDisp** picture);

// A data resource holding an image file (PNG, GIF), decoded with GDI+ as the ribbon's picture is.
HRESULT LoadImageResourcePicture(int resource, IPictureDisp** picture);
// A bitmap resource, as it is stored.
HRESULT LoadBitmapResourcePicture(int resource, IPictureDisp** picture);

// The command-bar buttons' faces and masks (outlook::win32::ButtonPictureMaker): the DLL installs it when it starts.
HRESULT MakeButtonFacePicture(int resource, outlook::win32::FaceResource kind, IPictureDisp** picture);

}  // namespace sealwing::win32
