#include "sim/win32/ButtonFaceRecord.h"

#include <ocidl.h>
#include <olectl.h>

#include <map>
#include <memory>

#include "outlook/ComError.h"
#include "outlook/win32/dispatch/ComTypes.h"

namespace sealwing::sim::win32 {
namespace {

// Keyed by the simulated control, held weakly: a control the simulation dropped leaves its entry unreachable.
std::map<std::weak_ptr<outlook::Object>, ButtonFace, std::owner_less<std::weak_ptr<outlook::Object>>>& Faces() {
    static std::map<std::weak_ptr<outlook::Object>, ButtonFace, std::owner_less<std::weak_ptr<outlook::Object>>> faces;
    return faces;
}

}  // namespace

PictureFacts PictureFactsOf(const VARIANT& value) {
    IUnknown* object = value.vt == VT_DISPATCH ? value.pdispVal : value.vt == VT_UNKNOWN ? value.punkVal : nullptr;
    sealwing::win32::ComPtr<IPicture> picture;
    if (object == nullptr ||
        FAILED(object->QueryInterface(IID_IPicture, reinterpret_cast<void**>(picture.Receive()))) || !picture) {
        throw outlook::ComError(DISP_E_TYPEMISMATCH, L"A picture was expected");
    }
    PictureFacts facts;
    OLE_HANDLE handle = 0;
    if (FAILED(picture->get_Type(&facts.type)) || FAILED(picture->get_Handle(&handle))) {
        throw outlook::ComError(DISP_E_TYPEMISMATCH, L"The picture cannot be read");
    }
    BITMAP bitmap{};
    if (facts.type == PICTYPE_BITMAP &&
        GetObjectW(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(handle)), sizeof(bitmap), &bitmap) != 0) {
        facts.width = bitmap.bmWidth;
        facts.height = bitmap.bmHeight;
        facts.bitsPerPixel = bitmap.bmBitsPixel;
    }
    return facts;
}

ButtonFace& ButtonFaceOf(const outlook::Ref<outlook::Object>& control) { return Faces()[control]; }

void ForgetButtonFaces() { Faces().clear(); }

}  // namespace sealwing::sim::win32
