#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sealwing::service {

// A multipart/form-data body written by the add-in itself (a message without attachments). Text arrives as wide
// strings and is written as UTF-8; file bytes are written unaltered; no Content-Type for text parts and no
// transfer encoding for any part.
class MultipartForm {
public:
    // The boundary every body uses, unless one of its parts holds that very line: a value must never be able to end
    // its part early and smuggle in a part of its own, so such a body gets a boundary none of its parts contain.
    static constexpr std::string_view kBoundary = "---------------------------7d434218508bc";

    void Begin();
    void AddField(std::wstring_view name, std::wstring_view value);
    void AddFile(std::wstring_view name, std::wstring_view fileName, std::string_view bytes);
    // Appends the closing marker; a second call adds nothing.
    void Finish();

    // The body as it stands (complete once finished).
    const std::string& Body();
    // "multipart/form-data; boundary=" and the boundary the body uses.
    std::string ContentTypeValue();
    const std::string& Boundary();

private:
    // Where one of a part's texts stands in the body.
    struct Span {
        std::size_t offset = 0;
        std::size_t size = 0;
    };
    struct Part {
        Span name;
        Span fileName;
        Span bytes;
        bool isFile = false;
    };

    // The part's header, its bytes (written by `writeBytes` at the body's end) and the delimiter after it.
    template <class WriteBytes>
    void AddPart(std::wstring_view name, std::wstring_view fileName, bool isFile, WriteBytes writeBytes);
    std::string_view Text(Span span) const;
    bool HoldsBoundary(const Part& part) const;
    void StartPart(std::string& body, Part& part, std::string_view name, std::string_view fileName) const;
    void Rewrite();

    // The body is written as the parts arrive, with the boundary chosen so far and without the closing marker, which
    // Body() adds; a part holding the boundary makes it be rewritten, from its parts, with the next boundary.
    bool begun_ = false;
    bool finished_ = false;
    bool closed_ = false;  // the body ends with the closing marker
    int boundarySuffix_ = 0;
    std::vector<Part> parts_;
    std::string boundary_{kBoundary};
    std::string body_;
};

}  // namespace sealwing::service
