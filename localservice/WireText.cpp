#include "localservice/WireText.h"

#include <cctype>

namespace sealwing::localservice {

namespace {

int HexValue(char digit) {
    if (digit >= '0' && digit <= '9') {
        return digit - '0';
    }
    if (digit >= 'a' && digit <= 'f') {
        return digit - 'a' + 10;
    }
    if (digit >= 'A' && digit <= 'F') {
        return digit - 'A' + 10;
    }
    return -1;
}

int Base64Value(char symbol) {
    if (symbol >= 'A' && symbol <= 'Z') {
        return symbol - 'A';
    }
    if (symbol >= 'a' && symbol <= 'z') {
        return symbol - 'a' + 26;
    }
    if (symbol >= '0' && symbol <= '9') {
        return symbol - '0' + 52;
    }
    if (symbol == '+') {
        return 62;
    }
    if (symbol == '/') {
        return 63;
    }
    return -1;
}

}  // namespace

std::string PercentDecode(std::string_view text, bool plusIsBlank) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t index = 0; index < text.size(); ++index) {
        char current = text[index];
        if (current == '%' && index + 2 < text.size()) {
            int high = HexValue(text[index + 1]);
            int low = HexValue(text[index + 2]);
            if (high >= 0 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                index += 2;
                continue;
            }
        }
        decoded.push_back(plusIsBlank && current == '+' ? ' ' : current);
    }
    return decoded;
}

std::vector<std::pair<std::string, std::string>> ParseQuery(std::string_view query) {
    std::vector<std::pair<std::string, std::string>> pairs;
    while (!query.empty()) {
        std::size_t end = query.find('&');
        std::string_view item = query.substr(0, end);
        query = end == std::string_view::npos ? std::string_view{} : query.substr(end + 1);
        if (item.empty()) {
            continue;
        }
        std::size_t equals = item.find('=');
        std::string_view name = item.substr(0, equals);
        std::string_view value = equals == std::string_view::npos ? std::string_view{} : item.substr(equals + 1);
        pairs.emplace_back(PercentDecode(name, true), PercentDecode(value, true));
    }
    return pairs;
}

std::optional<std::string> Base64Decode(std::string_view text) {
    std::string decoded;
    unsigned buffer = 0;
    int bits = 0;
    std::size_t padding = 0;
    for (char symbol : text) {
        if (symbol == '=') {
            ++padding;
            continue;
        }
        int value = Base64Value(symbol);
        if (value < 0 || padding > 0) {
            return std::nullopt;
        }
        buffer = (buffer << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            decoded.push_back(static_cast<char>((buffer >> bits) & 0xFFu));
        }
    }
    if (padding > 2 || (text.size() % 4) != 0) {
        return std::nullopt;
    }
    return decoded;
}

std::optional<std::pair<std::string, std::string>> ParseBasicCredentials(std::string_view authorization) {
    constexpr std::string_view scheme = "Basic ";
    if (authorization.size() < scheme.size()) {
        return std::nullopt;
    }
    for (std::size_t index = 0; index < scheme.size(); ++index) {
        if (std::tolower(static_cast<unsigned char>(authorization[index])) !=
            std::tolower(static_cast<unsigned char>(scheme[index]))) {
            return std::nullopt;
        }
    }
    std::string_view encoded = authorization.substr(scheme.size());
    while (!encoded.empty() && encoded.front() == ' ') {
        encoded.remove_prefix(1);
    }
    std::optional<std::string> decoded = Base64Decode(encoded);
    if (!decoded) {
        return std::nullopt;
    }
    std::size_t colon = decoded->find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    return std::make_pair(decoded->substr(0, colon), decoded->substr(colon + 1));
}

std::string EscapeMarkup(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char current : text) {
        switch (current) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            default:
                escaped.push_back(current);
                break;
        }
    }
    return escaped;
}

}  // namespace sealwing::localservice
