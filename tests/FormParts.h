#pragma once

#include <string>
#include <vector>

#include "platform/Http.h"

// The form parts that both transport engines' tests post to the local service, so that the two engines are held to
// the same parts.
namespace sealwing::testing {

// A message's fields and two files, one of them with bytes that look like a boundary and a non-ASCII name.
inline std::vector<platform::HttpFormPart> MessageParts() {
    return {
        {.name = "message", .bytes = "Body \xC3\xA4 & more"},
        {.name = "email", .bytes = "ann@example.com"},
        {.name = "recipients", .bytes = "bob@example.com"},
        {.name = "subject", .bytes = "Q3"},
        {.name = "0",
         .bytes = std::string("\x00\x01\xFF\r\n--x", 8),
         .isFile = true,
         .fileName = "r\xC3\xA9sum\xC3\xA9.bin",
         .contentHeader = "Content-Type: application/octet-stream"},
        {.name = "1",
         .bytes = "second",
         .isFile = true,
         .fileName = "b.txt",
         .contentHeader = "Content-Type: application/octet-stream"},
    };
}

// Form parts whose names would break out of their quotes if written as they are, and what the service must see of
// each from either engine: the quote, CR and LF percent-encoded, everything else unchanged, and no part or header
// line more than was sent.
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
