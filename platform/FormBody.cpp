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

std::string FormBody(const std::vector<HttpFormPart>& parts, const std::string& boundary) {
    // Each part's head, then the body made once at its final size: the bytes are copied into it and nowhere else.
    std::vector<std::string> heads;
    std::size_t size = boundary.size() + 6;
    for (const HttpFormPart& part : parts) {
        std::string head =
            "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + QuotedFormParameter(part.name) + "\"";
        if (part.isFile) {
            head += "; filename=\"" + QuotedFormParameter(part.fileName) + "\"";
            if (!part.contentHeader.empty()) head += "\r\n" + part.contentHeader;
        }
        head += "\r\n\r\n";
        size += head.size() + part.Bytes().size() + 2;
        heads.push_back(std::move(head));
    }
    std::string body;
    body.reserve(size);
    for (std::size_t index = 0; index < parts.size(); ++index) {
        body.append(heads[index]).append(parts[index].Bytes()).append("\r\n");
    }
    return body.append("--").append(boundary).append("--\r\n");
}

}  // namespace sealwing::platform
