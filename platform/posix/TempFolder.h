#pragma once

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

#include "platform/Text.h"

namespace sealwing::platform {

// A fresh folder under /tmp (0700, made by mkdtemp) that is removed with everything in it when the object goes
// (tests). Throws when the folder cannot be made.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = "/tmp/sealwing-test-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error(std::string("mkdtemp failed: ") + std::strerror(errno));
        }
        narrow_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;  // a destructor cannot report; a folder left in /tmp harms nothing
        std::filesystem::remove_all(narrow_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::wstring Path() const { return WideFromUtf8(narrow_); }
    const std::string& Narrow() const { return narrow_; }

private:
    std::string narrow_;
};

}  // namespace sealwing::platform
