#pragma once

#include <windows.h>
#include <oaidl.h>

#include <optional>

#include "outlook/ObjectModel.h"

namespace sealwing::sim::win32 {

// What a picture put as a button's Picture or Mask was: Office keeps the bitmap, so the harness records what the
// bitmap is (the simulation, which takes a face as resource ids, never sees pictures).
struct PictureFacts {
    short type = 0;  // PICTYPE_*
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};

struct ButtonFace {
    std::optional<PictureFacts> picture;
    std::optional<PictureFacts> mask;
};

// The picture as the put value gives it: an object answering IPicture, of a bitmap. Throws ComError
// (DISP_E_TYPEMISMATCH) for anything else, as Office refuses it.
PictureFacts PictureFactsOf(const VARIANT& value);

// The face put on the served control `control` so far (pictures of a control the harness served); an empty face
// for one that has none. Harness thread only.
ButtonFace& ButtonFaceOf(const outlook::Ref<outlook::Object>& control);
// Forgets every face (the start of a test).
void ForgetButtonFaces();

}  // namespace sealwing::sim::win32
