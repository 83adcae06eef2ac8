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
            clash = clash || part.bytes.find(boundary) != std::string::npos ||
                    QuotedFormParameter(part.fileName).find(boundary) != std::string::npos ||
                    QuotedFormParameter(part.name).find(boundary) != std::string::npos;
        }
        if (!clash) return boundary;
    }
}

std::string FormBody(const std::vector<HttpFormPart>& parts, const std::string& boundary) {
    std::string body;
    for (const HttpFormPart& part : parts) {
        body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + QuotedFormParameter(part.name) + "\"";
        if (part.isFile) {
            body += "; filename=\"" + QuotedFormParameter(part.fileName) + "\"";
            if (!part.contentHeader.empty()) body += "\r\n" + part.contentHeader;
        }
        body += "\r\n\r\n" + part.bytes + "\r\n";
    }
    return body + "--" + boundary + "--\r\n";
}

}  // namespace sealwing::platform
