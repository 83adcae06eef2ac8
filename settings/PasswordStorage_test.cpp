#include "settings/PasswordStorage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "addin/ProcessState.h"
#include "diagnostics/Log.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/SodiumSecretProtection.h"
#include "platform/posix/TempFolder.h"
#include "settings/PasswordCache.h"

namespace sealwing::settings {
namespace {

class PasswordStorageTest : public ::testing::Test {
protected:
    PasswordStorageTest()
        : files_(temp_.Path() + L"/roaming", temp_.Path() + L"/local"),
          secrets_(temp_.Narrow() + "/keys/ann.key"),
          platform_(platform::Platform{.clock = &clock_, .files = &files_, .secrets = &secrets_}) {
        ResetProcessState();
        diagnostics::OpenThreadLog(L"Main");
    }
    ~PasswordStorageTest() override { ResetProcessState(); }

    std::string StoragePath() const { return temp_.Narrow() + "/roaming/Parcelon/storage.bin"; }

    void WriteStorage(const std::string& bytes) const {
        std::filesystem::create_directories(temp_.Narrow() + "/roaming/Parcelon");
        std::ofstream(StoragePath(), std::ios::binary) << bytes;
    }

    std::string Protected(const std::wstring& text) {
        std::string plain = platform::Utf16LeFromWide(text);
        plain.append(2, '\0');
        std::string blob;
        std::uint32_t error = 0;
        EXPECT_TRUE(secrets_.Protect(plain, blob, error));
        return blob;
    }

    static CredentialList Loaded() {
        CredentialList list;
        list.Add(L"stale@example.com", L"cleared by loading");
        LoadPasswordStorage(list);
        return list;
    }

    platform::TempFolder temp_;
    platform::PosixFileSystem files_;
    platform::SodiumSecretProtection secrets_;
    platform::ManualClock clock_;
    platform::ScopedPlatform platform_;
};

TEST_F(PasswordStorageTest, ThePlainTextOfOneEntryAndOfNone) {
    EXPECT_EQ(CredentialsDocumentText(CredentialList{}), L"\r\n\r\n<credentials/>");

    CredentialList one;
    one.Add(L"ann@example.com", L"");
    EXPECT_EQ(CredentialsDocumentText(one),
              L"\r\n\r\n<credentials>\r\n\t<user>\r\n\t\t<username>ann@example.com</username>\r\n\t\t<password/>"
              L"\r\n\t</user>\r\n</credentials>");

    one.Set(0, L"s3cret");
    SavePasswordStorage(one);
    std::ifstream in(StoragePath(), std::ios::binary);
    const std::string blob((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string plain;
    std::uint32_t error = 0;
    ASSERT_TRUE(secrets_.Unprotect(blob, plain, error));
    EXPECT_EQ(plain, platform::Utf16LeFromWide(CredentialsDocumentText(one)) + std::string(2, '\0'));
}

TEST_F(PasswordStorageTest, SpecialCharactersAndBackslashesSurviveSaveAndLoad) {
    CredentialList saved;
    saved.Add(L"ann@example.com", L"a&b<c>d\"e'f");
    saved.Add(L"ANN@example.com", L"C:\\dir\\");  // differs only in case: another entry
    saved.Add(L"domain\\bob", L"\\\\server\\share &amp; more");
    saved.Add(L"carol@example.com", L"");
    SavePasswordStorage(saved);

    const CredentialList loaded = Loaded();
    EXPECT_EQ(loaded.Entries(), saved.Entries());
    EXPECT_EQ(loaded.Find(L"ANN@example.com"), std::optional<std::size_t>(1));
}

TEST_F(PasswordStorageTest, AFileWrittenWithSingleBackslashesReadsAsItAlwaysDid) {
    WriteStorage(
        Protected(L"\r\n\r\n<credentials>\r\n\t<user>\r\n\t\t<username>ann@example.com</username>"
                  L"\r\n\t\t<password>C:\\dir</password>\r\n\t</user>\r\n</credentials>"));
    const CredentialList loaded = Loaded();
    ASSERT_EQ(loaded.Size(), 1u);
    EXPECT_EQ(loaded.Entries()[0].password, L"C:dir");
}

TEST_F(PasswordStorageTest, EntriesWithoutBothValuesAreSkipped) {
    WriteStorage(
        Protected(L"<credentials><user><username>a@x</username></user><other><username>b@x</username>"
                  L"<password>pb</password></other></credentials>"));
    const CredentialList loaded = Loaded();
    ASSERT_EQ(loaded.Size(), 1u);
    EXPECT_EQ(loaded.Entries()[0], (Credential{L"b@x", L"pb"}));
}

TEST_F(PasswordStorageTest, AFileThatCannotBeUsedYieldsNoPasswordsAndItsLogLine) {
    struct Case {
        const char* label;
        std::function<void()> prepare;
        std::string line;
    };
    const std::string good = Protected(
        L"<credentials><user><username>a@x</username><password>p</password></user>"
        L"</credentials>");
    std::string tampered = good;
    tampered[tampered.size() / 2] = static_cast<char>(tampered[tampered.size() / 2] ^ 0x20);
    platform::SodiumSecretProtection bob(temp_.Narrow() + "/keys/bob.key");
    std::string bobsBlob;
    std::uint32_t error = 0;
    ASSERT_TRUE(bob.Protect(platform::Utf16LeFromWide(L"<credentials/>"), bobsBlob, error));

    const Case cases[] = {
        {"missing", [] {}, "Failed to open password storage. Error code 80070002\n"},
        {"unreadable", [this] { std::filesystem::create_directories(StoragePath()); },
         "Failed to read password storage. Error code 80070015\n"},
        {"garbage", [this] { WriteStorage("not a protected blob"); }, "Failed to decrypt password. Error code is 4a\n"},
        {"tampered", [&] { WriteStorage(tampered); }, "Failed to decrypt password. Error code is 4a\n"},
        {"another user's", [&] { WriteStorage(bobsBlob); }, "Failed to decrypt password. Error code is 4a\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(StoragePath());
        c.prepare();
        const std::string before = diagnostics::CollectAllLogs();
        EXPECT_EQ(Loaded().Size(), 0u) << c.label;
        const std::string logged = diagnostics::CollectAllLogs().substr(before.size());
        EXPECT_NE(logged.find(c.line), std::string::npos) << c.label << ": " << logged;
    }
}

TEST_F(PasswordStorageTest, AFileThatCannotBeCreatedIsLoggedAsNotOpened) {
    std::filesystem::create_directories(StoragePath() + "/in-the-way");
    CredentialList saved;
    saved.Add(L"ann@example.com", L"pw");
    SavePasswordStorage(saved);
    EXPECT_NE(diagnostics::CollectAllLogs().find("Failed to open password storage. Error code 80070015\n"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(StoragePath()));
}

// Secrets that cannot be sealed (the user's key store is unavailable).
class FailingSecrets final : public platform::SecretProtection {
public:
    bool Protect(std::string_view, std::string&, std::uint32_t& error) override {
        error = 0x8009000B;
        return false;
    }
    bool Unprotect(std::string_view, std::string&, std::uint32_t& error) override {
        error = 0x8009000B;
        return false;
    }
};

// The real files, but a replacement that fails at one step (the port's own test shows a real failure keeps the
// previous file; here what matters is which step the log names).
class FailingReplace final : public platform::FileSystem {
public:
    FailingReplace(platform::FileSystem& real, platform::WriteResult failure) : real_(real), failure_(failure) {}
    std::wstring KnownFolderPath(platform::KnownFolder folder) override { return real_.KnownFolderPath(folder); }
    std::wstring Join(std::wstring_view folder, std::wstring_view name) override { return real_.Join(folder, name); }
    bool FolderExists(const std::wstring& path) override { return real_.FolderExists(path); }
    bool CreateFolder(const std::wstring& path) override { return real_.CreateFolder(path); }
    platform::ReadResult ReadFile(const std::wstring& path) override { return real_.ReadFile(path); }
    platform::WriteResult ReplaceFile(const std::wstring&, std::string_view, platform::FileAccess) override {
        return failure_;
    }
    bool DeleteFile(const std::wstring& path) override { return real_.DeleteFile(path); }
    std::unique_ptr<platform::FileWriter> CreateNewFile(const std::wstring& path, platform::FileError& error) override {
        return real_.CreateNewFile(path, error);
    }
    bool DeleteFolder(const std::wstring& path) override { return real_.DeleteFolder(path); }
    std::unique_ptr<platform::LogFile> OpenLogFile(const std::wstring& path, platform::FileError& error) override {
        return real_.OpenLogFile(path, error);
    }

private:
    platform::FileSystem& real_;
    platform::WriteResult failure_;
};

TEST_F(PasswordStorageTest, AFailedSaveKeepsThePreviousFileAndLogsTheStepThatFailed) {
    CredentialList previous;
    previous.Add(L"ann@example.com", L"first");
    SavePasswordStorage(previous);
    std::ifstream in(StoragePath(), std::ios::binary);
    const std::string before((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(before.empty());

    FailingSecrets failingSecrets;
    FailingReplace notWritten(files_, {.ok = false, .opened = true, .error = 28});  // ENOSPC
    FailingReplace notOpened(files_, {.ok = false, .opened = false, .error = 13});  // EACCES
    struct Case {
        const char* step;
        platform::Platform platform;
        const char* line;
    };
    const Case cases[] = {
        {"encryption",
         {.clock = &clock_, .files = &files_, .secrets = &failingSecrets},
         "Failed to encrypt password. Error code is 8009000b\n"},
        {"write",
         {.clock = &clock_, .files = &notWritten, .secrets = &secrets_},
         "Failed to update password storage. Error code 8007001c\n"},
        {"creation",
         {.clock = &clock_, .files = &notOpened, .secrets = &secrets_},
         "Failed to open password storage. Error code 8007000d\n"},
    };
    for (const Case& c : cases) {
        const std::string logBefore = diagnostics::CollectAllLogs();
        {
            platform::ScopedPlatform failing(c.platform);
            CredentialList changed;
            changed.Add(L"ann@example.com", L"second");
            SavePasswordStorage(changed);
        }
        std::ifstream after(StoragePath(), std::ios::binary);
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), std::istreambuf_iterator<char>()), before)
            << c.step;
        const std::string logged = diagnostics::CollectAllLogs().substr(logBefore.size());
        EXPECT_NE(logged.find(c.line), std::string::npos) << c.step << ": " << logged;
        EXPECT_EQ(Loaded().Entries().at(0).password, L"first") << c.step;
    }
}

// With the user's folders unknown the path would be relative, landing in whatever folder Outlook runs in.
TEST_F(PasswordStorageTest, WithoutAKnownFolderNothingIsWrittenOrReadAndBothAreLogged) {
    platform::PosixFileSystem nowhere(L"", temp_.Path() + L"/local");
    platform::ScopedPlatform unknownFolders(
        platform::Platform{.clock = &clock_, .files = &nowhere, .secrets = &secrets_});
    const std::filesystem::path outlookFolder = temp_.Narrow() + "/outlook-runs-here";
    std::filesystem::create_directories(outlookFolder);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(outlookFolder);

    EXPECT_EQ(PasswordStoragePath(), L"");
    CredentialList saved;
    saved.Add(L"ann@example.com", L"pw");
    SavePasswordStorage(saved);
    const CredentialList loaded = Loaded();
    std::filesystem::current_path(before);

    EXPECT_TRUE(std::filesystem::is_empty(outlookFolder));
    EXPECT_EQ(loaded.Entries().size(), 0U);
    const std::string log = diagnostics::CollectAllLogs();
    const std::string line = "Failed to open password storage. Error code 80070003\n";
    const std::size_t first = log.find(line);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find(line, first + line.size()), std::string::npos) << "both the save and the load\n" << log;
}

TEST(PasswordCacheTest, LookupsAreExactAndForgetRemovesOnlyThatUser) {
    PasswordCache& cache = PasswordCache::Instance();
    cache.ClearForTests();
    cache.SetPassword(L"ann@example.com", L"one");
    cache.SetPassword(L"Ann@example.com", L"two");
    cache.SetPassword(L"ann@example.com", L"three");
    EXPECT_EQ(cache.FindPassword(L"ann@example.com"), std::optional<std::wstring>(L"three"));
    EXPECT_EQ(cache.FindPassword(L"Ann@example.com"), std::optional<std::wstring>(L"two"));
    cache.Forget(L"ann@example.com");
    EXPECT_FALSE(cache.HasPassword(L"ann@example.com"));
    EXPECT_EQ(cache.FindPassword(L"ann@example.com"), std::nullopt);
    EXPECT_TRUE(cache.HasPassword(L"Ann@example.com"));
    cache.ClearForTests();
}

TEST(PasswordCacheTest, ThreeThreadsNeverSeeAHalfChangedEntry) {
    PasswordCache& cache = PasswordCache::Instance();
    cache.ClearForTests();
    const std::wstring users[] = {L"a@x", L"b@x", L"c@x"};
    std::atomic<int> torn{0};
    auto worker = [&](int self) {
        for (int round = 0; round < 2000; ++round) {
            const std::wstring& user = users[(self + round) % 3];
            switch (round % 3) {
                case 0:
                    cache.SetPassword(user, user + L"-password");
                    break;
                case 1:
                    if (const auto found = cache.FindPassword(user); found && *found != user + L"-password") ++torn;
                    break;
                default:
                    cache.Forget(user);
                    break;
            }
        }
    };
    std::thread first(worker, 0), second(worker, 1), third(worker, 2);
    first.join();
    second.join();
    third.join();
    EXPECT_EQ(torn.load(), 0);
    cache.ClearForTests();
}

}  // namespace
}  // namespace sealwing::settings
