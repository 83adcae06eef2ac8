#include "platform/FormBody.h"

#include <random>

#include "platform/FormParameter.h"
#include "platform/Text.h"

namespace sealwing::platform {

std::string FormBoundary(const std::vector<HttpFormPart>& parts) {
    std::random_device random;
    for (;;) {
        std::string boundary = "------------------------" + Hex(random()) + Hex(random());
        bool clash = false;
        for (const HttpFormPart& part : parts) {
            clash = clash || part.Bytes().find(boundary) != std::string_view::npos ||
                    QuotedFormParameter(part.fileName).find(boundary) != std::string::npos ||
                    QuotedFormParameter(part.name).find(boundary) != std::string::npos;
        }
        if (!clash) return boundary;
    }
}

std::vector<std::string_view> FormBodyPieces(const std::vector<HttpFormPart>& parts, const std::string& boundary,
                                             std::vector<std::string>& texts) {
    // Every text is made before any piece points at it: the texts never move once the pieces are taken.
    texts.clear();
    texts.reserve(parts.size() + 1);
    for (std::size_t index = 0; index < parts.size(); ++index) {
        const HttpFormPart& part = parts[index];
        std::string head = (index == 0 ? "--" : "\r\n--") + boundary + "\r\nContent-Disposition: form-data; name=\"" +
                           QuotedFormParameter(part.name) + "\"";
        if (part.isFile) {
            head += "; filename=\"" + QuotedFormParameter(part.fileName) + "\"";
            if (!part.contentHeader.empty()) head += "\r\n" + part.contentHeader;
        }
        texts.push_back(std::move(head) + "\r\n\r\n");
    }
    texts.push_back((parts.empty() ? "--" : "\r\n--") + boundary + "--\r\n");
    std::vector<std::string_view> pieces;
    pieces.reserve(2 * parts.size() + 1);
    for (std::size_t index = 0; index < parts.size(); ++index) {
        pieces.push_back(texts[index]);
        pieces.push_back(parts[index].Bytes());
    }
    pieces.push_back(texts.back());
    return pieces;
}

std::string FormBody(const std::vector<HttpFormPart>& parts, const std::string& boundary) {
    std::vector<std::string> texts;
    const std::vector<std::string_view> pieces = FormBodyPieces(parts, boundary, texts);
    std::size_t size = 0;
    for (const std::string_view piece : pieces) size += piece.size();
    std::string body;
    body.reserve(size);
    for (const std::string_view piece : pieces) body += piece;
    return body;
}

}  // namespace sealwing::platform
