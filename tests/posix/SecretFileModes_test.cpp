// The files that hold the user's secrets on Linux, as the login dialog's "Save password" leaves them: the credentials
// file and the key that seals it are the user's alone, and so are the folders that hold them, whatever the umask.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "dialogs/LoginDialog.h"
#include "dialogs/LoginDialogTemplate.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "settings/PasswordStorage.h"
#include "sim/DialogScreen.h"
#include "tests/OutlookWorld.h"

namespace sealwing {
namespace {

unsigned ModeOf(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return 01000;  // no such file: a mode no check expects
    return status.st_mode & 07777;
}

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : previous_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(previous_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t previous_;
};

TEST(SecretFileModesTest, SavingAPasswordAtTheLoginDialogLeavesTheCredentialsAndKeyFilesAndTheirFoldersPrivate) {
    // The usual mask, one that takes nothing away, and one that would take the owner's own bits.
    for (const mode_t mask : {mode_t{022}, mode_t{0}, mode_t{0277}}) {
        SCOPED_TRACE("umask " + std::to_string(mask));
        testing::OutlookWorld world(14, testing::LocalServiceUse::None);
        world.Outlook().User().AtDialog(dialogs::kLoginDialogId, [](sim::DialogScreen& screen) {
            screen.Type(dialogs::kPasswordFieldId, L"s\u00E9cret");
            screen.Tick(dialogs::kSavePasswordId);
            screen.Press(platform::kDialogOk);
        });
        {
            const ScopedUmask umask(mask);
            ASSERT_TRUE(dialogs::AskForPassword(L"ann@example.com", 0, platform::kNoWindow));
        }

        const std::filesystem::path credentials(platform::Utf8FromWide(settings::PasswordStoragePath()));
        // The world keeps the user's key beside the user's folders: "<root>/keys/user.key".
        const std::filesystem::path key = credentials.parent_path().parent_path().parent_path() / "keys" / "user.key";
        ASSERT_TRUE(std::filesystem::exists(credentials));
        EXPECT_EQ(ModeOf(credentials), 0600u);
        EXPECT_EQ(ModeOf(credentials.parent_path()), 0700u);
        EXPECT_EQ(ModeOf(key), 0600u);
        EXPECT_EQ(ModeOf(key.parent_path()), 0700u);
    }
}

TEST(SecretFileModesTest, SavingAgainNarrowsFoldersThatOthersWereGivenTheRightToListSinceAndKeepsTheKey) {
    testing::OutlookWorld world(14, testing::LocalServiceUse::None);
    for (int save = 0; save < 2; ++save) {
        world.Outlook().User().AtDialog(dialogs::kLoginDialogId, [](sim::DialogScreen& screen) {
            screen.Type(dialogs::kPasswordFieldId, L"s\u00E9cret");
            screen.Tick(dialogs::kSavePasswordId);
            screen.Press(platform::kDialogOk);
        });
    }
    ASSERT_TRUE(dialogs::AskForPassword(L"ann@example.com", 0, platform::kNoWindow));
    const std::filesystem::path credentials(platform::Utf8FromWide(settings::PasswordStoragePath()));
    const std::filesystem::path key = credentials.parent_path().parent_path().parent_path() / "keys" / "user.key";
    const std::string keyBefore = platform::Files().ReadFile(platform::WideFromUtf8(key.string())).bytes;
    ASSERT_FALSE(keyBefore.empty());
    // Made by hand, or by an older program: anyone may list and enter both.
    std::filesystem::permissions(credentials.parent_path(), std::filesystem::perms(0755));
    std::filesystem::permissions(key.parent_path(), std::filesystem::perms(0755));

    ASSERT_TRUE(dialogs::AskForPassword(L"bob@example.com", 0, platform::kNoWindow));

    EXPECT_EQ(ModeOf(credentials.parent_path()), 0700u);
    EXPECT_EQ(ModeOf(key.parent_path()), 0700u);
    EXPECT_EQ(ModeOf(credentials), 0600u);
    EXPECT_EQ(platform::Files().ReadFile(platform::WideFromUtf8(key.string())).bytes, keyBefore)
        << "the key that sealed the first save still opens it";
}

}  // namespace
}  // namespace sealwing
