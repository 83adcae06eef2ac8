#pragma once

#include <string>
#include <vector>

#include "platform/Http.h"

// Form parts whose names would break out of their quotes if written as they are, and what the service must see of
// each from either engine: the quote, CR and LF percent-encoded, everything else unchanged, and no part or header
// line more than was sent.
namespace sealwing::testing {

struct HostileFormPart {
    platform::HttpFormPart part;
    std::string nameSeen;
    std::string fileNameSeen;
};

inline std::vector<HostileFormPart> HostileFormParts() {
    return {
        {{.name = "sub\"ject", .bytes = "Q3"}, "sub%22ject", ""},
        {{.name = "0",
          .bytes = "x",
          .isFile = true,
          .fileName = "a\"; name=\"evil.txt",
          .contentHeader = "Content-Type: application/octet-stream"},
         "0",
         "a%22; name=%22evil.txt"},
        {{.name = "1",
          .bytes = "y",
          .isFile = true,
          .fileName = "b\r\nContent-Type: text/html\r\n.txt",
          .contentHeader = "Content-Type: application/octet-stream"},
         "1",
         "b%0D%0AContent-Type: text/html%0D%0A.txt"},
        {{.name = "2",
          .bytes = "z",
          .isFile = true,
          .fileName = "100% \\ sure.txt",
          .contentHeader = "Content-Type: application/octet-stream"},
         "2",
         "100% \\ sure.txt"},
    };
}

}  // namespace sealwing::testing
