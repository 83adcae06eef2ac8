#include "localservice/Multipart.h"

#include <cctype>

namespace sealwing::localservice {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& current : lower) {
        current = static_cast<char>(std::tolower(static_cast<unsigned char>(current)));
    }
    return lower;
}

// The parameters after the first ';' of a header value; a quoted value keeps what is between its quotes verbatim.
std::vector<std::pair<std::string, std::string>> HeaderParameters(std::string_view value) {
    std::vector<std::pair<std::string, std::string>> parameters;
    std::size_t position = value.find(';');
    while (position != std::string_view::npos && position < value.size()) {
        ++position;
        while (position < value.size() && (value[position] == ' ' || value[position] == '\t')) {
            ++position;
        }
        std::size_t equals = value.find('=', position);
        std::size_t semicolon = value.find(';', position);
        if (equals == std::string_view::npos || (semicolon != std::string_view::npos && semicolon < equals)) {
            position = semicolon;
            continue;
        }
        std::string name = Lower(Trim(value.substr(position, equals - position)));
        std::size_t start = equals + 1;
        std::string parameter;
        if (start < value.size() && value[start] == '"') {
            std::size_t close = value.find('"', start + 1);
            if (close == std::string_view::npos) {
                close = value.size();
            }
            parameter = std::string(value.substr(start + 1, close - start - 1));
            position = value.find(';', close);
        } else {
            std::size_t end = value.find(';', start);
            parameter = std::string(Trim(value.substr(start, end == std::string_view::npos ? end : end - start)));
            position = end;
        }
        parameters.emplace_back(std::move(name), std::move(parameter));
    }
    return parameters;
}

bool ReadPartHeaders(std::string_view headers, FormPart& part) {
    bool disposition = false;
    while (!headers.empty()) {
        std::size_t end = headers.find("\r\n");
        std::string_view line = headers.substr(0, end);
        headers = end == std::string_view::npos ? std::string_view{} : headers.substr(end + 2);
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            return false;
        }
        std::string name = Lower(Trim(line.substr(0, colon)));
        std::string_view value = Trim(line.substr(colon + 1));
        if (name == "content-disposition") {
            disposition = true;
            for (auto& [key, parameter] : HeaderParameters(value)) {
                if (key == "name") {
                    part.name = parameter;
                } else if (key == "filename") {
                    part.isFile = true;
                    part.fileName = parameter;
                }
            }
        } else if (name == "content-type") {
            part.contentType = std::string(value);
        }
    }
    return disposition;
}

}  // namespace

std::optional<std::string> MultipartBoundary(std::string_view contentType) {
    std::string type = Lower(Trim(contentType.substr(0, contentType.find(';'))));
    if (type != "multipart/form-data") {
        return std::nullopt;
    }
    for (auto& [key, parameter] : HeaderParameters(contentType)) {
        if (key == "boundary" && !parameter.empty()) {
            return parameter;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<FormPart>> ParseMultipart(std::string_view body, std::string_view boundary) {
    const std::string delimiter = "--" + std::string(boundary);
    const std::string separator = "\r\n" + delimiter;
    if (body.substr(0, delimiter.size()) != delimiter) {
        return std::nullopt;
    }
    std::size_t position = delimiter.size();
    std::vector<FormPart> parts;
    while (true) {
        if (body.substr(position, 2) == "--") {
            return parts;
        }
        if (body.substr(position, 2) != "\r\n") {
            return std::nullopt;
        }
        position += 2;
        std::size_t headersEnd = body.find("\r\n\r\n", position);
        if (headersEnd == std::string_view::npos) {
            return std::nullopt;
        }
        FormPart part;
        if (!ReadPartHeaders(body.substr(position, headersEnd - position), part)) {
            return std::nullopt;
        }
        std::size_t contentStart = headersEnd + 4;
        std::size_t contentEnd = body.find(separator, contentStart);
        if (contentEnd == std::string_view::npos) {
            return std::nullopt;
        }
        part.content = std::string(body.substr(contentStart, contentEnd - contentStart));
        parts.push_back(std::move(part));
        position = contentEnd + separator.size();
    }
}

}  // namespace sealwing::localservice
