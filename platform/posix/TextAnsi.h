#pragma once

#include <atomic>

namespace sealwing::platform {

// Tests: while one lives, this process's ANSI code page is Latin-1 (what Windows-1252 gives for those characters;
// others become "?") instead of UTF-8, so that code which sends one encoding where the other belongs shows it.
class ScopedLatin1AnsiCodePage {
public:
    ScopedLatin1AnsiCodePage();
    ~ScopedLatin1AnsiCodePage();
    ScopedLatin1AnsiCodePage(const ScopedLatin1AnsiCodePage&) = delete;
    ScopedLatin1AnsiCodePage& operator=(const ScopedLatin1AnsiCodePage&) = delete;
};

}  // namespace sealwing::platform
