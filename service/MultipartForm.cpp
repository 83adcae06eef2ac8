#include "service/MultipartForm.h"

#include <algorithm>

#include "platform/Text.h"

namespace sealwing::service {
namespace {

constexpr std::string_view kClosingMarker = "--\r\n";
// Room left after a field's text, for the message's shorter fields that follow a long body.
constexpr std::size_t kRoomAfterField = 64 * 1024;

}  // namespace

void MultipartForm::Begin() {
    if (begun_) return;
    begun_ = true;
    Rewrite();
}

void MultipartForm::AddField(std::wstring_view name, std::wstring_view value) {
    AddPart(name, {}, false, [&](std::string& body) { platform::AppendUtf8(body, value, kRoomAfterField); });
}

void MultipartForm::AddFile(std::wstring_view name, std::wstring_view fileName, std::string_view bytes) {
    AddPart(name, fileName, true, [&](std::string& body) { body += bytes; });
}

void MultipartForm::Finish() { finished_ = true; }

const std::string& MultipartForm::Boundary() { return boundary_; }

const std::string& MultipartForm::Body() {
    if (finished_ && !closed_) {
        body_ += kClosingMarker;
        closed_ = true;
    }
    return body_;
}

std::string MultipartForm::ContentTypeValue() { return "multipart/form-data; boundary=" + Boundary(); }

template <class WriteBytes>
void MultipartForm::AddPart(std::wstring_view name, std::wstring_view fileName, bool isFile, WriteBytes writeBytes) {
    if (closed_) {
        body_.resize(body_.size() - kClosingMarker.size());
        closed_ = false;
    }
    Part& part = parts_.emplace_back();
    part.isFile = isFile;
    StartPart(body_, part, platform::Utf8FromWide(name), platform::Utf8FromWide(fileName));
    part.bytes.offset = body_.size();
    writeBytes(body_);
    part.bytes.size = body_.size() - part.bytes.offset;
    body_ += "\r\n--";
    body_ += boundary_;
    if (!HoldsBoundary(part)) return;
    // Earlier boundaries are held by earlier parts: the next one that no part holds is the body's boundary.
    do {
        boundary_ = std::string(kBoundary) + "-" + std::to_string(++boundarySuffix_);
    } while (std::any_of(parts_.begin(), parts_.end(), [this](const Part& each) { return HoldsBoundary(each); }));
    Rewrite();
}

std::string_view MultipartForm::Text(Span span) const { return std::string_view(body_).substr(span.offset, span.size); }

bool MultipartForm::HoldsBoundary(const Part& part) const {
    for (const Span& span : {part.name, part.fileName, part.bytes}) {
        if (Text(span).find(boundary_) != std::string_view::npos) return true;
    }
    return false;
}

// Writes the part's opening delimiter's tail and header to the body, and notes where its name and file name stand.
void MultipartForm::StartPart(std::string& body, Part& part, std::string_view name, std::string_view fileName) const {
    body += "\r\nContent-Disposition: form-data; name=\"";
    part.name = {body.size(), name.size()};
    body += name;
    body += "\"";
    if (part.isFile) {
        body += "; filename=\"";
        part.fileName = {body.size(), fileName.size()};
        body += fileName;
        body += "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
    } else {
        part.fileName = {body.size(), 0};
        body += "\r\n\r\n";
    }
}

// The body written again from its parts with the current boundary: after a boundary change, or a late Begin().
void MultipartForm::Rewrite() {
    constexpr std::size_t kPartFraming = 112;  // the fixed text around a part's name, file name and bytes, rounded up
    std::size_t size = 2 + boundary_.size() + kClosingMarker.size();
    for (const Part& part : parts_) {
        size += part.name.size + part.fileName.size + part.bytes.size + boundary_.size() + kPartFraming;
    }
    std::string body;
    body.reserve(size);
    if (begun_) body += "--" + boundary_;
    for (Part& part : parts_) {
        const Part old = part;
        StartPart(body, part, Text(old.name), Text(old.fileName));
        part.bytes = {body.size(), old.bytes.size};
        body += Text(old.bytes);
        body += "\r\n--" + boundary_;
    }
    body_ = std::move(body);
    closed_ = false;
}

}  // namespace sealwing::service
