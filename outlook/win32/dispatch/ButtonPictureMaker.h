#pragma once

#include <windows.h>
#include <ocidl.h>

// A button's face is made of the add-in's own resources, which only the DLL reaches: the DLL hands the adapter the
// function that makes a picture of one when it starts.
namespace sealwing::outlook::win32 {

enum class FaceResource {
    kImage,  // a data resource (RT_RCDATA) holding an image file GDI+ reads (the face, a GIF)
    kBitmap  // a bitmap resource (RT_BITMAP) (the face's mask)
};

// Makes a bitmap picture that owns its bitmap, answering IPictureDisp; a failure HRESULT when it cannot.
using ButtonPictureMaker = HRESULT (*)(int resource, FaceResource kind, IPictureDisp** picture);

// The maker CommandBarControl::SetFace uses; nullptr takes it away (SetFace then fails with E_NOTIMPL). UI thread.
void InstallButtonPictureMaker(ButtonPictureMaker maker);
ButtonPictureMaker InstalledButtonPictureMaker();

}  // namespace sealwing::outlook::win32
