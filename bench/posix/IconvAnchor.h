#pragma once

#include <iconv.h>

#include <cstddef>
#include <string>

namespace sealwing::bench {

// The C library's own converter between wide characters and UTF-8 (iconv), as an anchor for the add-in's.
class IconvConverter {
public:
    IconvConverter(const char* to, const char* from) : converter_(::iconv_open(to, from)) {}
    ~IconvConverter() {
        if (converter_ != reinterpret_cast<iconv_t>(-1)) ::iconv_close(converter_);
    }
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    // Converts `size` bytes into `out` (made large enough first); the bytes written, or 0 when iconv failed.
    std::size_t Convert(const void* in, std::size_t size, std::string& out) {
        out.resize(size * 4 + 16);  // room for the widest result either way
        char* input = const_cast<char*>(static_cast<const char*>(in));
        char* output = out.data();
        std::size_t inputLeft = size;
        std::size_t outputLeft = out.size();
        if (::iconv(converter_, &input, &inputLeft, &output, &outputLeft) == static_cast<std::size_t>(-1)) return 0;
        return out.size() - outputLeft;
    }

private:
    iconv_t converter_;
};

}  // namespace sealwing::bench
