#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sealwing::service {

// An attachment of a secure message, as the service lists it.
struct SecureAttachment {
    std::wstring id;
    std::wstring name;
    std::wstring short_name;
    std::wstring path;  // left empty by the reply reader
    std::int32_t size = 0;

    bool operator==(const SecureAttachment&) const = default;
};

// A secure message downloaded from the service for a reply or forward.
struct SecureMessage {
    std::wstring body;
    std::wstring subject;
    std::wstring sender_name;
    std::wstring sender_email;
    std::wstring recipient;
    std::vector<std::wstring> to;
    std::vector<std::wstring> cc;
    std::vector<SecureAttachment> attachments;

    bool operator==(const SecureMessage&) const = default;
};

}  // namespace sealwing::service
