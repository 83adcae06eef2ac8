#pragma once

#include <unistd.h>

namespace sealwing::platform {

// Whether someone is at the console to answer: standard input is a terminal.
inline bool StdinIsInteractive() { return ::isatty(STDIN_FILENO) == 1; }

}  // namespace sealwing::platform
