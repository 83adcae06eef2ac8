#include "platform/posix/CurlForm.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
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

// libcurl reads a part's bytes through these as it sends them, from where the caller holds them, instead of copying
// them into the form; the reader goes with the form.
struct PartReader {
    std::string_view bytes;
    std::size_t offset = 0;
};

std::size_t ReadPart(char* buffer, std::size_t size, std::size_t count, void* argument) {
    auto& reader = *static_cast<PartReader*>(argument);
    const std::size_t length = std::min(size * count, reader.bytes.size() - reader.offset);
    std::memcpy(buffer, reader.bytes.data() + reader.offset, length);
    reader.offset += length;
    return length;
}

int SeekPart(void* argument, curl_off_t offset, int origin) {
    auto& reader = *static_cast<PartReader*>(argument);
    if (origin != SEEK_SET || offset < 0 || static_cast<std::uint64_t>(offset) > reader.bytes.size()) {
        return CURL_SEEKFUNC_CANTSEEK;
    }
    reader.offset = static_cast<std::size_t>(offset);
    return CURL_SEEKFUNC_OK;
}

void FreePart(void* argument) { delete static_cast<PartReader*>(argument); }

CURLcode SetPartBytes(curl_mimepart* part, std::string_view bytes) {
    auto reader = std::make_unique<PartReader>(PartReader{bytes});
    const CURLcode code =
        curl_mime_data_cb(part, static_cast<curl_off_t>(bytes.size()), ReadPart, SeekPart, FreePart, reader.get());
    if (code == CURLE_OK) reader.release();  // the part owns it from here on, freed with the form
    return code;
}

}  // namespace

CURLcode AddFormPart(curl_mime* mime, const HttpFormPart& part) {
    curl_mimepart* added = curl_mime_addpart(mime);
    if (added == nullptr) return CURLE_OUT_OF_MEMORY;
    CURLcode code = curl_mime_name(added, WithoutNul(part.name).c_str());
    if (code == CURLE_OK) code = SetPartBytes(added, part.Bytes());
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
