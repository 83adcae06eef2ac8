#include "platform/WebAddress.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Text.h"

namespace sealwing::platform {
namespace {

TEST(WebAddressTest, OnlyHttpAndHttpsAddressesWithAHostAreOpened) {
    struct Case {
        const wchar_t* address;
        bool web;
    };
    for (const Case c : {
             Case{L"https://service.parcelon.example/#/sender/ann@example.com", true},
             Case{L"http://example.com", true},
             Case{L"HTTPS://EXAMPLE.COM/x", true},
             Case{L"hTtP://example.com", true},
             Case{L"file:///C:/Windows/System32/calc.exe", false},
             Case{L"javascript:alert(1)", false},
             Case{L"C:\\Windows\\System32\\calc.exe", false},
             Case{L"calc.exe", false},
             Case{L"\\\\server\\share\\setup.exe", false},
             Case{L"mailto:ann@example.com", false},
             Case{L"ftp://example.com/file", false},
             Case{L"httpx://example.com", false},
             Case{L" https://example.com", false},
             Case{L"https:example.com", false},
             Case{L"https://", false},
             Case{L"https:", false},
             Case{L"", false},
         }) {
        EXPECT_EQ(IsWebAddress(c.address), c.web) << Utf8FromWide(c.address);
    }
}

}  // namespace
}  // namespace sealwing::platform
