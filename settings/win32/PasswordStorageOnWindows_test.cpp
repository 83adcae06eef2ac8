// The credentials file on Windows' own adapters: the data-protection service and the shell's folders.

#include <gtest/gtest.h>

#include "addin/ProcessState.h"
#include "diagnostics/Log.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32SecretProtection.h"
#include "platform/win32/Win32TempFolder.h"
#include "settings/PasswordStorage.h"

namespace sealwing::settings {
namespace {

class PasswordStorageOnWindowsTest : public ::testing::Test {
protected:
    PasswordStorageOnWindowsTest()
        : files_(temp_.At(L"roaming"), temp_.At(L"local")),
          platform_(platform::Platform{.clock = &clock_, .files = &files_, .secrets = &secrets_}) {
        ::CreateDirectoryW(temp_.At(L"roaming").c_str(), nullptr);
        ::CreateDirectoryW(temp_.At(L"local").c_str(), nullptr);
        ResetProcessState();
        diagnostics::OpenThreadLog(L"Main");
    }
    ~PasswordStorageOnWindowsTest() override { ResetProcessState(); }

    platform::Win32TempFolder temp_;
    platform::Win32FileSystem files_;
    platform::Win32SecretProtection secrets_;
    platform::ManualClock clock_;
    platform::ScopedPlatform platform_;
};

TEST_F(PasswordStorageOnWindowsTest, ASavedFileLoadsBackAndATamperedOneIsRefused) {
    CredentialList saved;
    saved.Add(L"ann@example.com", L"a&b<c>\"d'e\\");
    saved.Add(L"Ann@example.com", L"other");
    SavePasswordStorage(saved);

    CredentialList loaded;
    LoadPasswordStorage(loaded);
    EXPECT_EQ(loaded.Entries(), saved.Entries());

    auto blob = files_.ReadFile(PasswordStoragePath());
    ASSERT_TRUE(blob.ok);
    blob.bytes[blob.bytes.size() - 3] = static_cast<char>(blob.bytes[blob.bytes.size() - 3] ^ 0x10);
    ASSERT_TRUE(files_.ReplaceFile(PasswordStoragePath(), blob.bytes, platform::FileAccess::OwnerOnly).ok);

    LoadPasswordStorage(loaded);
    EXPECT_EQ(loaded.Size(), 0u);
    EXPECT_NE(diagnostics::CollectAllLogs().find("Failed to decrypt password. Error code is "), std::string::npos);
}

}  // namespace
}  // namespace sealwing::settings
