#include "service/MultipartForm.h"

#include "platform/Text.h"

namespace sealwing::service {

void MultipartForm::Begin() {
    begun_ = true;
    rendered_ = false;
}

void MultipartForm::AddField(std::wstring_view name, std::wstring_view value) {
    parts_.push_back({platform::Utf8FromWide(name), {}, platform::Utf8FromWide(value), false});
    rendered_ = false;
}

void MultipartForm::AddFile(std::wstring_view name, std::wstring_view fileName, std::string_view bytes) {
    parts_.push_back({platform::Utf8FromWide(name), platform::Utf8FromWide(fileName), std::string(bytes), true});
    rendered_ = false;
}

void MultipartForm::Finish() {
    finished_ = true;
    rendered_ = false;
}

const std::string& MultipartForm::Boundary() {
    Render();
    return boundary_;
}

const std::string& MultipartForm::Body() {
    Render();
    return body_;
}

std::string MultipartForm::ContentTypeValue() { return "multipart/form-data; boundary=" + Boundary(); }

// The body is written from the parts when it is asked for, so that the boundary can be chosen knowing every part.
void MultipartForm::Render() {
    if (rendered_) return;
    auto containedInAPart = [this](const std::string& boundary) {
        for (const auto& part : parts_) {
            for (const std::string* text : {&part.name, &part.fileName, &part.bytes}) {
                if (text->find(boundary) != std::string::npos) return true;
            }
        }
        return false;
    };
    boundary_ = std::string(kBoundary);
    for (int suffix = 1; containedInAPart(boundary_); ++suffix) {
        boundary_ = std::string(kBoundary) + "-" + std::to_string(suffix);
    }

    // Reserved at its final size, give or take the framing, so that a large field is copied into it once.
    constexpr std::size_t kPartFraming = 112;  // the fixed text around a part's name, file name and bytes, rounded up
    std::size_t size = 2 + boundary_.size() + 4;
    for (const auto& part : parts_) {
        size += part.name.size() + part.fileName.size() + part.bytes.size() + boundary_.size() + kPartFraming;
    }
    body_.clear();
    body_.reserve(size);
    if (begun_) body_ += "--" + boundary_;
    for (const auto& part : parts_) {
        body_ += "\r\nContent-Disposition: form-data; name=\"" + part.name + "\"";
        if (part.isFile) {
            body_ += "; filename=\"" + part.fileName + "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
        } else {
            body_ += "\r\n\r\n";
        }
        body_ += part.bytes;
        body_ += "\r\n--" + boundary_;
    }
    if (finished_) body_ += "--\r\n";
    rendered_ = true;
}

}  // namespace sealwing::service
