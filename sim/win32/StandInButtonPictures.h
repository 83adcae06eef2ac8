#pragma once

#include <windows.h>
#include <ocidl.h>

#include "outlook/win32/dispatch/ButtonPictureMaker.h"

namespace sealwing::sim::win32 {

// Button pictures for a program that runs the add-in's code without the DLL, whose resources it lacks: a blank
// 24x24 bitmap for any face and a monochrome one for any mask, in picture objects that own them.
HRESULT StandInButtonPicture(int resource, outlook::win32::FaceResource kind, IPictureDisp** picture);

// Installs StandInButtonPicture while it lives.
class ScopedStandInButtonPictures {
public:
    ScopedStandInButtonPictures() { outlook::win32::InstallButtonPictureMaker(&StandInButtonPicture); }
    ~ScopedStandInButtonPictures() { outlook::win32::InstallButtonPictureMaker(nullptr); }
    ScopedStandInButtonPictures(const ScopedStandInButtonPictures&) = delete;
    ScopedStandInButtonPictures& operator=(const ScopedStandInButtonPictures&) = delete;
};

}  // namespace sealwing::sim::win32
