#include "platform/posix/SodiumSecretProtection.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <barrier>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/posix/PosixIo.h"
#include "platform/posix/TempFolder.h"

namespace sealwing::platform {
namespace {

class SodiumSecretProtectionTest : public ::testing::Test {
protected:
    std::string KeyFile(const std::string& user) const { return temp_.Narrow() + "/" + user + "/keys/user.key"; }

    TempFolder temp_;
};

unsigned ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// A umask that would take the owner's own write and search bits from every new folder and file.
class HostileUmask {
public:
    HostileUmask() : previous_(::umask(0277)) {}
    ~HostileUmask() { ::umask(previous_); }

private:
    mode_t previous_;
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

TEST_F(SodiumSecretProtectionTest, KeyFoldersAndTheKeyArePrivateWhateverTheUmask) {
    std::string blob;
    std::uint32_t error = 0;
    {
        HostileUmask umask;
        SodiumSecretProtection secrets(KeyFile("ann"));
        ASSERT_TRUE(secrets.Protect("secret", blob, error)) << error;
    }
    EXPECT_EQ(ModeOf(temp_.Narrow() + "/ann"), 0700u);
    EXPECT_EQ(ModeOf(temp_.Narrow() + "/ann/keys"), 0700u);
    EXPECT_EQ(ModeOf(KeyFile("ann")), 0600u);
}

TEST_F(SodiumSecretProtectionTest, AFileCreatedOnceKeepsWhatAnotherWriterPutThereFirst) {
    const std::string path = temp_.Narrow() + "/user.key";
    EXPECT_EQ(posix::CreateFileOnce(path, "first"), 0);
    EXPECT_EQ(posix::CreateFileOnce(path, "second"), EEXIST);
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "first");
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp_.Narrow()), {}), 1) << "no temporary is left";
}

// Processes of one user starting together: each seals a secret with the key it got, and every secret opens later.
TEST_F(SodiumSecretProtectionTest, ProcessesMakingTheFirstKeyTogetherAllEndUpWithTheOneKeyOnDisk) {
    constexpr int kProcesses = 8;
    for (int round = 0; round < 10; ++round) {
        const std::string keyFile = KeyFile("round" + std::to_string(round));
        std::vector<std::string> blobs(kProcesses);
        std::vector<std::uint32_t> errors(kProcesses, 0);
        std::barrier start(kProcesses);
        std::vector<std::thread> processes;
        for (int index = 0; index < kProcesses; ++index) {
            processes.emplace_back([&, index] {
                SodiumSecretProtection secrets(keyFile);
                start.arrive_and_wait();
                if (!secrets.Protect("secret " + std::to_string(index), blobs[index], errors[index])) {
                    blobs[index].clear();
                }
            });
        }
        for (auto& process : processes) process.join();

        SodiumSecretProtection later(keyFile);
        for (int index = 0; index < kProcesses; ++index) {
            ASSERT_FALSE(blobs[index].empty()) << "round " << round << ", error " << errors[index];
            std::string plain;
            std::uint32_t error = 0;
            EXPECT_TRUE(later.Unprotect(blobs[index], plain, error)) << "round " << round << ", process " << index;
            EXPECT_EQ(plain, "secret " + std::to_string(index));
        }
    }
}

}  // namespace
}  // namespace sealwing::platform
