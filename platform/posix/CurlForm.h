#pragma once

#include <curl/curl.h>

#include "platform/Http.h"

namespace sealwing::platform {

// Adds one part to a libcurl form as the Linux build's HTTP engine sends it: the name, the bytes, and for a file its
// file name and its one header line. The bytes are read where the part holds them while the form is sent, so the part
// must outlive the form's transfer. libcurl quotes the name and the file name as the Windows build's own writer does
// (platform/FormBody.h); a NUL, which libcurl's C strings cannot carry, goes as %00, as that writer writes it.
CURLcode AddFormPart(curl_mime* mime, const HttpFormPart& part);

}  // namespace sealwing::platform
