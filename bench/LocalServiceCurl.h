#pragma once

#include <cstddef>
#include <cstdlib>
#include <string>

#include "localservice/LocalService.h"

namespace sealwing::bench {

inline constexpr std::size_t kMiB = 1024 * 1024;

// curl talking to the local service as user ann@example.com (password "pw"), trusting its test CA: the anchor of the
// transfer benchmarks. True when curl succeeded.
inline bool RunCurl(const localservice::LocalService& service, const std::string& arguments, const std::string& path) {
    const std::string command = "curl --silent --fail --user ann@example.com:pw --cacert '" +
                                service.CaFile().string() + "' " + arguments +
                                " https://localhost:" + std::to_string(service.Port()) + "/" + path;
    return std::system(command.c_str()) == 0;
}

}  // namespace sealwing::bench
