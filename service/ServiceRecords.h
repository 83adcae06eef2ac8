#pragma once

#include <cstdint>
#include <string>

#include "service/SecureMessage.h"

namespace sealwing::service {

// The result of every service operation.
enum class ServiceResult : std::int32_t {
    Success = 0,
    Cancelled = 1,      // the user cancelled the password prompt
    NotAuthorised = 2,  // HTTP 401, or no password is cached for the account
    Failed = 3,         // any other failure
    NotFound = 4,       // HTTP 404
};

// The account's standing on the service, as the account check answers it.
struct AccountStatus {
    bool registered = true;
    bool pro = false;

    bool operator==(const AccountStatus&) const = default;
};

// The account as a login describes it.
struct AccountInfo {
    std::wstring email{};
    std::wstring first_name{};
    std::wstring last_name{};
    std::wstring date_created{};
    std::wstring type{};
    std::int32_t max_messages_per_day = 0;
    std::int32_t max_recipients = 0;
    std::int32_t max_attachment_size = 0;  // bytes
    std::wstring session_id{};

    bool operator==(const AccountInfo&) const = default;
};

// The newest version of the add-in the service offers.
struct VersionInfo {
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::wstring date{};
    std::wstring info_url{};
    std::wstring binary_url{};

    bool operator==(const VersionInfo&) const = default;
};

}  // namespace sealwing::service
