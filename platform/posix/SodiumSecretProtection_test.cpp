#include "platform/posix/SodiumSecretProtection.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/posix/TempFolder.h"

namespace sealwing::platform {
namespace {

class SodiumSecretProtectionTest : public ::testing::Test {
protected:
    std::string KeyFile(const std::string& user) const { return temp_.Narrow() + "/" + user + "/keys/user.key"; }

    TempFolder temp_;
};

TEST_F(SodiumSecretProtectionTest, RoundTripsUnderAPrivateKeyFile) {
    SodiumSecretProtection secrets(KeyFile("ann"));
    const std::string plain("p\0assw\xC3\xB6rd", 11);
    std::string blob;
    std::uint32_t error = 0;
    ASSERT_TRUE(secrets.Protect(plain, blob, error));
    EXPECT_EQ(blob.find("assw"), std::string::npos);

    std::string back;
    SodiumSecretProtection later(KeyFile("ann"));  // a later process of the same user
    ASSERT_TRUE(later.Unprotect(blob, back, error));
    EXPECT_EQ(back, plain);

    struct stat info {};
    ASSERT_EQ(::stat(KeyFile("ann").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(SodiumSecretProtectionTest, AnotherUsersKeyOrAChangedBlobFails) {
    SodiumSecretProtection ann(KeyFile("ann"));
    SodiumSecretProtection bob(KeyFile("bob"));
    std::string blob;
    std::string bobsBlob;
    std::uint32_t error = 0;
    ASSERT_TRUE(ann.Protect("secret", blob, error));
    ASSERT_TRUE(bob.Protect("other", bobsBlob, error));

    std::string plain = "untouched";
    EXPECT_FALSE(bob.Unprotect(blob, plain, error));
    EXPECT_EQ(error, static_cast<std::uint32_t>(EBADMSG));
    EXPECT_EQ(plain, "");

    for (std::size_t at : {std::size_t{0}, blob.size() / 2, blob.size() - 1}) {
        std::string tampered = blob;
        tampered[at] = static_cast<char>(tampered[at] ^ 0x01);
        error = 0;
        EXPECT_FALSE(ann.Unprotect(tampered, plain, error)) << "byte " << at;
        EXPECT_EQ(error, static_cast<std::uint32_t>(EBADMSG));
    }
    EXPECT_FALSE(ann.Unprotect(blob.substr(0, 10), plain, error));
}

TEST_F(SodiumSecretProtectionTest, UnprotectingBeforeAnyKeyExistsFailsWithoutMakingOne) {
    SodiumSecretProtection fresh(KeyFile("carol"));
    SodiumSecretProtection ann(KeyFile("ann"));
    std::string blob;
    std::string plain;
    std::uint32_t error = 0;
    ASSERT_TRUE(ann.Protect("secret", blob, error));
    EXPECT_FALSE(fresh.Unprotect(blob, plain, error));
    EXPECT_EQ(error, static_cast<std::uint32_t>(ENOENT));
    struct stat info {};
    EXPECT_NE(::stat(KeyFile("carol").c_str(), &info), 0);
}

}  // namespace
}  // namespace sealwing::platform
