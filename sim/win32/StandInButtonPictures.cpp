#include "sim/win32/StandInButtonPictures.h"

#include <olectl.h>

namespace sealwing::sim::win32 {

HRESULT StandInButtonPicture(int, outlook::win32::FaceResource kind, IPictureDisp** picture) {
    if (picture == nullptr) return E_POINTER;
    *picture = nullptr;
    const UINT bitsPerPixel = kind == outlook::win32::FaceResource::kBitmap ? 1 : 32;
    const HBITMAP bitmap = CreateBitmap(24, 24, 1, bitsPerPixel, nullptr);
    if (bitmap == nullptr) return E_OUTOFMEMORY;
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(description);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap;
    const HRESULT result =
        OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(picture));
    if (FAILED(result)) DeleteObject(bitmap);
    return result;
}

}  // namespace sealwing::sim::win32
