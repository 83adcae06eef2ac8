#include "platform/posix/CurlForm.h"

#include <string>
#include <string_view>

namespace sealwing::platform {
namespace {

std::string WithoutNul(std::string_view text) {
    std::string written;
    written.reserve(text.size());
    for (const char c : text) {
        if (c == '\0') {
            written += "%00";
        } else {
            written += c;
        }
    }
    return written;
}

}  // namespace

CURLcode AddFormPart(curl_mime* mime, const HttpFormPart& part) {
    curl_mimepart* added = curl_mime_addpart(mime);
    if (added == nullptr) return CURLE_OUT_OF_MEMORY;
    CURLcode code = curl_mime_name(added, WithoutNul(part.name).c_str());
    if (code == CURLE_OK) code = curl_mime_data(added, part.bytes.data(), part.bytes.size());
    if (code != CURLE_OK || !part.isFile) return code;
    code = curl_mime_filename(added, WithoutNul(part.fileName).c_str());
    if (code != CURLE_OK || part.contentHeader.empty()) return code;
    curl_slist* header = curl_slist_append(nullptr, part.contentHeader.c_str());
    if (header == nullptr) return CURLE_OUT_OF_MEMORY;
    code = curl_mime_headers(added, header, 1);  // the part owns the list from here on, freed with the form
    if (code != CURLE_OK) curl_slist_free_all(header);
    return code;
}

}  // namespace sealwing::platform
