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
    struct Part {
        std::string name;
        std::string fileName;
        std::string bytes;
        bool isFile = false;
    };

    void Render();

    bool begun_ = false;
    bool finished_ = false;
    std::vector<Part> parts_;
    std::string boundary_;
    std::string body_;
    bool rendered_ = false;
};

}  // namespace sealwing::service
