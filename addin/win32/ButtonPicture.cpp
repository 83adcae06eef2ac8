#include "addin/win32/ButtonPicture.h"

#include <gdiplus.h>
#include <objidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstring>

#include "addin/win32/Module.h"
#include "addin/win32/ResourceData.h"
#include "outlook/win32/dispatch/ComTypes.h"

namespace sealwing::win32 {
namespace {

constexpr int kButtonImageResource = 207;
constexpr Gdiplus::ARGB kOpaqueBlack = 0xFF000000;

// GDI+ counts its starts, so a start of its own keeps the picture working whether or not the add-in has one.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
    }
    ~GdiplusSession() {
        if (token_ != 0) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Started() const { return token_ != 0; }

private:
    ULONG_PTR token_ = 0;
};

// A stream over a movable copy of the data; the stream frees the memory when it is released.
HRESULT StreamOver(std::string_view bytes, ComPtr<IStream>& stream) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (memory == nullptr) return E_OUTOFMEMORY;
    void* target = GlobalLock(memory);
    if (target == nullptr) {
        GlobalFree(memory);
        return E_OUTOFMEMORY;
    }
    std::memcpy(target, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    const HRESULT result = CreateStreamOnHGlobal(memory, TRUE, stream.Receive());
    if (FAILED(result)) GlobalFree(memory);
    return result;
}

HRESULT DecodeBitmap(IStream* stream, HBITMAP& bitmap) {
    Gdiplus::GpBitmap* image = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &image) != Gdiplus::Ok || image == nullptr) {
        return E_FAIL;
    }
    const Gdiplus::Status status = Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(image, &bitmap, kOpaqueBlack);
    Gdiplus::DllExports::GdipDisposeImage(image);
    return status == Gdiplus::Ok ? S_OK : E_FAIL;
}

// Hands the bitmap to a new picture object, which then owns it; the bitmap is freed when that fails.
HRESULT PictureOwning(HBITMAP bitmap, IPictureDisp** picture) {
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(description);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap;
    const HRESULT result =
        OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(picture));
    if (FAILED(result)) DeleteObject(bitmap);
    return result;
}

}  // namespace

HRESULT LoadButtonPicture(IPictureDisp** picture) { return LoadImageResourcePicture(kButtonImageResource, picture); }

HRESULT LoadImageResourcePicture(int resource, IPictureDisp** picture) {
    if (picture == nullptr) return E_POINTER;
    *picture = nullptr;
    const std::string_view file = ResourceBytes(MAKEINTRESOURCEW(10), resource);  // RT_RCDATA
    if (file.empty()) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);

    GdiplusSession gdiplus;
    if (!gdiplus.Started()) return E_FAIL;
    HBITMAP bitmap = nullptr;
    {
        ComPtr<IStream> stream;
        HRESULT result = StreamOver(file, stream);
        if (FAILED(result)) return result;
        result = DecodeBitmap(stream.Get(), bitmap);
        if (FAILED(result)) return result;
    }
    return PictureOwning(bitmap, picture);
}

HRESULT LoadBitmapResourcePicture(int resource, IPictureDisp** picture) {
    if (picture == nullptr) return E_POINTER;
    *picture = nullptr;
    // A null module would ask for one of the system's own bitmaps: a program that carries the resources itself (a
    // test) has no DLL handle set.
    const HMODULE module = ModuleHandle() != nullptr ? ModuleHandle() : GetModuleHandleW(nullptr);
    const auto bitmap =
        static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (bitmap == nullptr) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    return PictureOwning(bitmap, picture);
}

HRESULT MakeButtonFacePicture(int resource, outlook::win32::FaceResource kind, IPictureDisp** picture) {
    return kind == outlook::win32::FaceResource::kBitmap ? LoadBitmapResourcePicture(resource, picture)
                                                         : LoadImageResourcePicture(resource, picture);
}

}  // namespace sealwing::win32
