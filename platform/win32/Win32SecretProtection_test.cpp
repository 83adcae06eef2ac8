#include "platform/win32/Win32SecretProtection.h"

#include <gtest/gtest.h>

namespace sealwing::platform {
namespace {

TEST(Win32SecretProtectionTest, RoundTripsAndRefusesAChangedBlob) {
    Win32SecretProtection secrets;
    const std::string plain("p\0ssword", 8);
    std::string blob;
    std::uint32_t error = 0;
    ASSERT_TRUE(secrets.Protect(plain, blob, error));
    EXPECT_EQ(blob.find("ssword"), std::string::npos);

    std::string back;
    ASSERT_TRUE(Win32SecretProtection().Unprotect(blob, back, error));
    EXPECT_EQ(back, plain);

    std::string tampered = blob;
    tampered[tampered.size() - 5] = static_cast<char>(tampered[tampered.size() - 5] ^ 0x40);
    error = 0;
    EXPECT_FALSE(secrets.Unprotect(tampered, back, error));
    EXPECT_NE(error, 0u);
    EXPECT_TRUE(back.empty());
}

}  // namespace
}  // namespace sealwing::platform
