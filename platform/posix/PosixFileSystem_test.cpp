#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/posix/TempFolder.h"

namespace sealwing::platform {
namespace {

// Sets (or, with nullopt, removes) an environment variable and puts the old value back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> old_;
};

unsigned ModeOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return 0xFFFFFFFF;
    return status.st_mode & 07777;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteRaw(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

class PosixFileSystemTest : public ::testing::Test {
protected:
    std::string At(const std::string& name) const { return temp_.Narrow() + "/" + name; }
    std::wstring WideAt(const std::string& name) const { return WideFromUtf8(At(name)); }

    TempFolder temp_;
    PosixFileSystem files_;
};

struct FolderCase {
    const char* what;
    std::optional<std::string> xdgConfig;
    std::optional<std::string> xdgState;
    bool homeSet;
    std::string roaming;  // under the temporary folder; empty when no folder can be told
    std::string local;
};

TEST_F(PosixFileSystemTest, KnownFoldersFollowXdgVariablesAndTheirDefaults) {
    const std::string root = temp_.Narrow();
    const FolderCase cases[] = {
        {"variables set", root + "/cfg", root + "/state", true, "/cfg", "/state"},
        {"variables unset", std::nullopt, std::nullopt, true, "/home/.config", "/home/.local/state"},
        {"variables empty", "", "", true, "/home/.config", "/home/.local/state"},
        {"relative variables are ignored", "cfg", "state", true, "/home/.config", "/home/.local/state"},
        {"no HOME to fall back on", std::nullopt, std::nullopt, false, "", ""},
        {"variables need no HOME", root + "/c", root + "/s", false, "/c", "/s"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        const ScopedEnv config("XDG_CONFIG_HOME", each.xdgConfig);
        const ScopedEnv state("XDG_STATE_HOME", each.xdgState);
        const ScopedEnv home("HOME", each.homeSet ? std::optional<std::string>(root + "/home") : std::nullopt);

        const std::wstring roaming = files_.KnownFolderPath(KnownFolder::RoamingAppData);
        const std::wstring local = files_.KnownFolderPath(KnownFolder::LocalAppData);
        EXPECT_EQ(roaming, each.roaming.empty() ? L"" : WideFromUtf8(root + each.roaming));
        EXPECT_EQ(local, each.local.empty() ? L"" : WideFromUtf8(root + each.local));
        // Created on demand with their parents, as a fresh account may lack ~/.local/state.
        if (!each.roaming.empty()) {
            EXPECT_EQ(ModeOf(root + each.roaming), 0700u);
        }
        if (!each.local.empty()) {
            EXPECT_EQ(ModeOf(root + each.local), 0700u);
        }
    }
}

TEST_F(PosixFileSystemTest, FixedFoldersWinOverTheEnvironment) {
    const ScopedEnv config("XDG_CONFIG_HOME", At("cfg"));
    PosixFileSystem fixed(WideAt("roaming"), WideAt("local"));
    EXPECT_EQ(fixed.KnownFolderPath(KnownFolder::RoamingAppData), WideAt("roaming"));
    EXPECT_EQ(fixed.KnownFolderPath(KnownFolder::LocalAppData), WideAt("local"));
    EXPECT_FALSE(std::filesystem::exists(At("cfg")));
}

TEST_F(PosixFileSystemTest, JoinPutsExactlyOneSeparator) {
    EXPECT_EQ(files_.Join(L"/a/b", L"c.log"), L"/a/b/c.log");
    EXPECT_EQ(files_.Join(L"/a/b/", L"c.log"), L"/a/b/c.log");
    EXPECT_EQ(files_.Join(L"/a/b", L"/c.log"), L"/a/b/c.log");
    EXPECT_EQ(files_.Join(L"", L"c.log"), L"c.log");
}

TEST_F(PosixFileSystemTest, CreateFolderMakesOneLevelPrivateAndAcceptsAnExistingOne) {
    EXPECT_FALSE(files_.FolderExists(WideAt("Parcelon")));
    EXPECT_TRUE(files_.CreateFolder(WideAt("Parcelon")));
    EXPECT_TRUE(files_.FolderExists(WideAt("Parcelon")));
    EXPECT_EQ(ModeOf(At("Parcelon")), 0700u);
    EXPECT_TRUE(files_.CreateFolder(WideAt("Parcelon")));
    const mode_t previous = ::umask(0277);  // would leave the owner unable to write in a new folder
    EXPECT_TRUE(files_.CreateFolder(WideAt("Parcelon2")));
    ::umask(previous);
    EXPECT_EQ(ModeOf(At("Parcelon2")), 0700u);

    EXPECT_FALSE(files_.CreateFolder(WideAt("missing/child")));
    WriteRaw(At("file"), "x");
    EXPECT_FALSE(files_.CreateFolder(WideAt("file")));
    EXPECT_FALSE(files_.FolderExists(WideAt("file")));
}

TEST_F(PosixFileSystemTest, ReadFileReportsTheErrno) {
    const ReadResult missing = files_.ReadFile(WideAt("missing"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, static_cast<FileError>(ENOENT));

    const ReadResult folder = files_.ReadFile(temp_.Path());
    EXPECT_FALSE(folder.ok);
    EXPECT_EQ(folder.error, static_cast<FileError>(EISDIR));

    WriteRaw(At("data"), std::string("bytes\0with NUL", 14));
    const ReadResult data = files_.ReadFile(WideAt("data"));
    EXPECT_TRUE(data.ok);
    EXPECT_EQ(data.bytes, std::string("bytes\0with NUL", 14));
}

TEST_F(PosixFileSystemTest, ReplaceFileSwapsInANewFileAndLeavesNoTemporary) {
    WriteRaw(At("storage.bin"), "old");
    // A reader that has the old file open keeps seeing the old content: the file was swapped, not rewritten.
    const int oldReader = ::open(At("storage.bin").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(oldReader, 0);

    const WriteResult replaced = files_.ReplaceFile(WideAt("storage.bin"), "new content", FileAccess::Default);
    EXPECT_TRUE(replaced.ok);
    EXPECT_TRUE(replaced.opened);
    EXPECT_EQ(replaced.error, 0u);
    EXPECT_EQ(Slurp(At("storage.bin")), "new content");
    char buffer[16] = {};
    EXPECT_EQ(::pread(oldReader, buffer, sizeof buffer, 0), 3);
    EXPECT_EQ(std::string(buffer), "old");
    ::close(oldReader);

    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(temp_.Narrow())) ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST_F(PosixFileSystemTest, ReplaceFileRemovesWhatKilledWritersLeftOfItsTemporariesAndNothingElse) {
    // A process id that no process holds any more: a child that has ended and been reaped.
    const pid_t ended = ::fork();
    ASSERT_GE(ended, 0);
    if (ended == 0) std::_Exit(0);
    ASSERT_EQ(::waitpid(ended, nullptr, 0), ended);
    const std::string dead = std::to_string(ended);
    const std::string alive = std::to_string(::getppid());
    const std::string own = std::to_string(::getpid());
    WriteRaw(At("storage.bin"), "old");
    const std::vector<std::string> removed{"storage.bin.tmp." + dead + ".0", "storage.bin.tmp." + dead + ".17"};
    const std::vector<std::string> kept{"storage.bin.tmp." + alive + ".3",  // a live writer's, maybe mid-write
                                        "storage.bin.tmp." + own + ".999",  // this process's threads write these
                                        "other.bin.tmp." + dead + ".0",     // another file's
                                        "storage.bin.tmp." + dead,          // not a temporary's name
                                        "storage.bin.tmp.x" + dead + ".0", "storage.bin.tmpl"};
    for (const auto& name : removed) WriteRaw(At(name), "half");
    for (const auto& name : kept) WriteRaw(At(name), "half");

    ASSERT_TRUE(files_.ReplaceFile(WideAt("storage.bin"), "new", FileAccess::OwnerOnly).ok);

    EXPECT_EQ(Slurp(At("storage.bin")), "new");
    for (const auto& name : removed) EXPECT_FALSE(std::filesystem::exists(At(name))) << name;
    for (const auto& name : kept) EXPECT_TRUE(std::filesystem::exists(At(name))) << name;
}

TEST_F(PosixFileSystemTest, ReplaceFileSetsPermissionsOfTheNewFileWhateverTheOldOnesWere) {
    const mode_t oldMask = ::umask(022);
    WriteRaw(At("secret"), "old");
    ::chmod(At("secret").c_str(), 0666);
    EXPECT_TRUE(files_.ReplaceFile(WideAt("secret"), "s", FileAccess::OwnerOnly).ok);
    EXPECT_EQ(ModeOf(At("secret")), 0600u);

    EXPECT_TRUE(files_.ReplaceFile(WideAt("plain"), "p", FileAccess::Default).ok);
    EXPECT_EQ(ModeOf(At("plain")), 0644u);

    ::umask(0277);  // a mask that would take the owner's write bit: secrets are still written 0600
    EXPECT_TRUE(files_.ReplaceFile(WideAt("secret"), "s2", FileAccess::OwnerOnly).ok);
    ::umask(oldMask);
    EXPECT_EQ(ModeOf(At("secret")), 0600u);
    EXPECT_EQ(Slurp(At("secret")), "s2");
}

TEST_F(PosixFileSystemTest, ReplaceFileInAMissingFolderFailsWithTheErrno) {
    const WriteResult replaced = files_.ReplaceFile(WideAt("missing/file"), "x", FileAccess::Default);
    EXPECT_FALSE(replaced.ok);
    EXPECT_FALSE(replaced.opened);
    EXPECT_EQ(replaced.error, static_cast<FileError>(ENOENT));
}

// A file-size limit makes the new file's write fail half way, as a full disk would.
TEST_F(PosixFileSystemTest, AWriteThatFailsHalfWayLeavesThePreviousFileAsItWas) {
    WriteRaw(At("storage.bin"), "previous content");
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);  // EFBIG instead of the signal
    rlimit previousLimit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previousLimit), 0);
    rlimit small = previousLimit;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const WriteResult replaced =
        files_.ReplaceFile(WideAt("storage.bin"), std::string(10000, 'n'), FileAccess::Default);
    ::setrlimit(RLIMIT_FSIZE, &previousLimit);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(replaced.ok);
    EXPECT_TRUE(replaced.opened) << "the failure came while writing";
    EXPECT_EQ(replaced.error, static_cast<FileError>(EFBIG));
    EXPECT_EQ(Slurp(At("storage.bin")), "previous content");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp_.Narrow()), {}), 1) << "no temporary is left";
}

TEST_F(PosixFileSystemTest, DeleteFileRemovesAnExistingFileOnly) {
    WriteRaw(At("f"), "x");
    EXPECT_TRUE(files_.DeleteFile(WideAt("f")));
    EXPECT_FALSE(std::filesystem::exists(At("f")));
    EXPECT_FALSE(files_.DeleteFile(WideAt("f")));
}

TEST_F(PosixFileSystemTest, ANewFileIsWrittenPieceByPiecePrivatelyAndNeverOverAnExistingName) {
    FileError error = 1;
    auto writer = files_.CreateNewFile(WideAt("download.bin"), error);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(error, 0U);
    EXPECT_TRUE(writer->Write("first ", error));
    EXPECT_TRUE(writer->Write(std::string("\0second", 7), error));
    EXPECT_TRUE(writer->Close(error));
    EXPECT_EQ(Slurp(At("download.bin")), std::string("first \0second", 13));
    EXPECT_EQ(ModeOf(At("download.bin")), 0600u);

    // An existing file, a folder, and a link to somewhere else are all taken names: nothing is overwritten or followed.
    WriteRaw(At("target"), "keep");
    ASSERT_EQ(::symlink(At("target").c_str(), At("link").c_str()), 0);
    for (const char* taken : {"download.bin", "link"}) {
        SCOPED_TRACE(taken);
        EXPECT_EQ(files_.CreateNewFile(WideAt(taken), error), nullptr);
        EXPECT_EQ(error, static_cast<FileError>(EEXIST));
    }
    EXPECT_EQ(Slurp(At("download.bin")), std::string("first \0second", 13));
    EXPECT_EQ(Slurp(At("target")), "keep");
    EXPECT_EQ(files_.CreateNewFile(WideAt("missing/file"), error), nullptr);
    EXPECT_EQ(error, static_cast<FileError>(ENOENT));
}

TEST_F(PosixFileSystemTest, DeleteFolderRemovesAnEmptyFolderOnly) {
    ASSERT_TRUE(files_.CreateFolder(WideAt("full")));
    WriteRaw(At("full/f"), "x");
    EXPECT_FALSE(files_.DeleteFolder(WideAt("full")));
    EXPECT_TRUE(std::filesystem::exists(At("full/f")));
    ASSERT_TRUE(files_.DeleteFile(WideAt("full/f")));
    EXPECT_TRUE(files_.DeleteFolder(WideAt("full")));
    EXPECT_FALSE(std::filesystem::exists(At("full")));
    EXPECT_FALSE(files_.DeleteFolder(WideAt("full")));
}

TEST_F(PosixFileSystemTest, LogMarkerRewritesInPlaceWhileAppendsGoToTheEnd) {
    WriteRaw(At("Main.log"), "OPEN  \nprevious run\n");
    FileError error = 1;
    auto log = files_.OpenLogFile(WideAt("Main.log"), error);
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(error, 0u);

    EXPECT_TRUE(log->Append("appended\n"));  // to the end of what was there, not over it at offset 0
    EXPECT_EQ(Slurp(At("Main.log")), "OPEN  \nprevious run\nappended\n");

    EXPECT_TRUE(log->WriteAt(0, "CREATE\n"));
    EXPECT_TRUE(log->Truncate(7));
    std::uint64_t size = 99;
    EXPECT_TRUE(log->Size(size, error));
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(Slurp(At("Main.log")), "CREATE\n");
    EXPECT_TRUE(log->Append("header\n"));
    EXPECT_TRUE(log->WriteAt(0, "CLOSED\n"));
    EXPECT_TRUE(log->Append("line\n"));
    // Visible to other readers at once: nothing waits in a buffer of this process.
    EXPECT_EQ(Slurp(At("Main.log")), "CLOSED\nheader\nline\n");
    EXPECT_TRUE(log->Size(size, error));
    EXPECT_EQ(size, 19u);
}

TEST_F(PosixFileSystemTest, LogReadAllReadsFromTheStartWhateverTheSize) {
    FileError error = 0;
    auto log = files_.OpenLogFile(WideAt("Big.log"), error);
    ASSERT_NE(log, nullptr);
    std::string text;
    for (int line = 0; line < 4000; ++line) text += "line " + std::to_string(line) + "\n";
    ASSERT_GT(text.size(), 32768u);
    EXPECT_TRUE(log->Append(text));
    EXPECT_TRUE(log->WriteAt(0, "CLOSED\n"));

    std::string read;
    EXPECT_TRUE(log->ReadAll(read, error));
    EXPECT_EQ(read, "CLOSED\n" + text.substr(7));
    EXPECT_TRUE(log->Append("more\n"));  // reading moved nothing
    EXPECT_EQ(Slurp(At("Big.log")), "CLOSED\n" + text.substr(7) + "more\n");
}

TEST_F(PosixFileSystemTest, ASecondOpenOfAHeldLogFailsUntilTheFirstIsClosed) {
    FileError error = 0;
    auto first = files_.OpenLogFile(WideAt("Attachments.log"), error);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ModeOf(At("Attachments.log")), 0600u);

    EXPECT_EQ(files_.OpenLogFile(WideAt("Attachments.log"), error), nullptr);
    EXPECT_EQ(error, static_cast<FileError>(EWOULDBLOCK));
    EXPECT_NE(files_.OpenLogFile(WideAt("Shipper.log"), error), nullptr);  // other logs are not affected

    first.reset();
    EXPECT_NE(files_.OpenLogFile(WideAt("Attachments.log"), error), nullptr);
}

TEST_F(PosixFileSystemTest, AnOpenLogIsNotReplacedAndKeepsWritingToItsPath) {
    FileError error = 0;
    auto log = files_.OpenLogFile(WideAt("Main.log"), error);
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(log->Append("before\n"));

    const WriteResult refused = files_.ReplaceFile(WideAt("Main.log"), "saved over", FileAccess::Default);
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.opened);
    EXPECT_EQ(refused.error, static_cast<FileError>(EBUSY));
    EXPECT_TRUE(log->Append("after\n"));
    EXPECT_EQ(Slurp(At("Main.log")), "before\nafter\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp_.Narrow()), {}), 1) << "no temporary is left";

    log.reset();
    EXPECT_TRUE(files_.ReplaceFile(WideAt("Main.log"), "saved over", FileAccess::Default).ok);
    EXPECT_EQ(Slurp(At("Main.log")), "saved over");
}

TEST_F(PosixFileSystemTest, OpenLogFileInAMissingFolderFails) {
    FileError error = 0;
    EXPECT_EQ(files_.OpenLogFile(WideAt("missing/Main.log"), error), nullptr);
    EXPECT_EQ(error, static_cast<FileError>(ENOENT));
}

}  // namespace
}  // namespace sealwing::platform
