#include "platform/win32/Win32FileSystem.h"

#include "platform/win32/Win32Headers.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32TempFolder.h"

namespace sealwing::platform {
namespace {

void WriteRaw(const std::wstring& path, const std::string& bytes) {
    const win32::UniqueHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.Valid());
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

class Win32FileSystemTest : public ::testing::Test {
protected:
    Win32TempFolder temp_;
    Win32FileSystem files_;
};

TEST_F(Win32FileSystemTest, KnownFoldersComeFromTheShellAndFixedOnesAreCreated) {
    const std::wstring roaming = files_.KnownFolderPath(KnownFolder::RoamingAppData);
    const std::wstring local = files_.KnownFolderPath(KnownFolder::LocalAppData);
    EXPECT_FALSE(roaming.empty());
    EXPECT_FALSE(local.empty());
    EXPECT_NE(roaming, local);
    EXPECT_TRUE(files_.FolderExists(roaming));
    EXPECT_TRUE(files_.FolderExists(local));

    Win32FileSystem fixed(temp_.At(L"a\\roaming"), temp_.At(L"b\\c\\local"));
    EXPECT_EQ(fixed.KnownFolderPath(KnownFolder::RoamingAppData), temp_.At(L"a\\roaming"));
    EXPECT_EQ(fixed.KnownFolderPath(KnownFolder::LocalAppData), temp_.At(L"b\\c\\local"));
    EXPECT_TRUE(files_.FolderExists(temp_.At(L"a\\roaming")));
    EXPECT_TRUE(files_.FolderExists(temp_.At(L"b\\c\\local")));
}

TEST_F(Win32FileSystemTest, JoinPutsExactlyOneBackslash) {
    EXPECT_EQ(files_.Join(L"C:\\a", L"c.log"), L"C:\\a\\c.log");
    EXPECT_EQ(files_.Join(L"C:\\a\\", L"c.log"), L"C:\\a\\c.log");
    EXPECT_EQ(files_.Join(L"C:\\a", L"\\c.log"), L"C:\\a\\c.log");
    EXPECT_EQ(files_.Join(L"C:/a/", L"/c.log"), L"C:/a/c.log");
    EXPECT_EQ(files_.Join(L"", L"c.log"), L"c.log");
}

TEST_F(Win32FileSystemTest, CreateFolderMakesOneLevelAndAcceptsAnExistingOne) {
    EXPECT_FALSE(files_.FolderExists(temp_.At(L"Parcelon")));
    EXPECT_TRUE(files_.CreateFolder(temp_.At(L"Parcelon")));
    EXPECT_TRUE(files_.FolderExists(temp_.At(L"Parcelon")));
    EXPECT_TRUE(files_.CreateFolder(temp_.At(L"Parcelon")));

    EXPECT_FALSE(files_.CreateFolder(temp_.At(L"missing\\child")));
    WriteRaw(temp_.At(L"file"), "x");
    EXPECT_FALSE(files_.CreateFolder(temp_.At(L"file")));
    EXPECT_FALSE(files_.FolderExists(temp_.At(L"file")));
}

TEST_F(Win32FileSystemTest, ReadFileReportsTheSystemError) {
    const ReadResult missing = files_.ReadFile(temp_.At(L"missing"));
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.opened);
    EXPECT_EQ(missing.error, static_cast<FileError>(ERROR_FILE_NOT_FOUND));

    const ReadResult folder = files_.ReadFile(temp_.Path());
    EXPECT_FALSE(folder.ok);
    EXPECT_NE(folder.error, 0u);

    const std::string bytes("bytes\0with NUL", 14);
    WriteRaw(temp_.At(L"data"), bytes);
    const ReadResult data = files_.ReadFile(temp_.At(L"data"));
    EXPECT_TRUE(data.ok);
    EXPECT_TRUE(data.opened);
    EXPECT_EQ(data.bytes, bytes);
}

TEST_F(Win32FileSystemTest, ReplaceFileSwapsInTheNewContentAndLeavesNoTemporary) {
    const std::wstring path = temp_.At(L"storage.bin");
    const WriteResult first = files_.ReplaceFile(path, "first", FileAccess::Default);
    ASSERT_TRUE(first.ok);
    EXPECT_TRUE(first.opened);
    EXPECT_EQ(first.error, 0u);
    const std::string large(200000, 'z');  // more than one write
    ASSERT_TRUE(files_.ReplaceFile(path, large, FileAccess::Default).ok);
    EXPECT_EQ(files_.ReadFile(path).bytes, large);
    ASSERT_TRUE(files_.ReplaceFile(path, "", FileAccess::Default).ok);
    EXPECT_TRUE(files_.ReadFile(path).ok);
    EXPECT_EQ(files_.ReadFile(path).bytes, "");
    EXPECT_EQ(FilesIn(temp_.Path()), std::vector<std::wstring>{L"storage.bin"});

    const WriteResult missing = files_.ReplaceFile(temp_.At(L"missing\\storage.bin"), "x", FileAccess::Default);
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.opened);
    EXPECT_EQ(missing.error, static_cast<FileError>(ERROR_PATH_NOT_FOUND));
}

std::vector<unsigned char> CurrentUserSid() {
    HANDLE rawToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &rawToken)) return {};
    const win32::UniqueHandle token(rawToken);
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    if (size == 0 || !::GetTokenInformation(token.Get(), TokenUser, user.data(), size, &size)) return {};
    PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    const auto* bytes = static_cast<const unsigned char*>(sid);
    return std::vector<unsigned char>(bytes, bytes + ::GetLengthSid(sid));
}

// The SIDs the file's DACL grants anything to, in the form the descriptor holds them.
std::vector<std::vector<unsigned char>> GrantedSids(const std::wstring& path) {
    std::vector<std::vector<unsigned char>> sids;
    DWORD size = 0;
    ::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<unsigned char> descriptor(size);
    if (size == 0 || !::GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size, &size)) {
        return sids;
    }
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    ACL* acl = nullptr;
    if (!::GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted) || !present || acl == nullptr) {
        return sids;
    }
    for (WORD index = 0; index < acl->AceCount; ++index) {
        void* ace = nullptr;
        if (!::GetAce(acl, index, &ace)) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE || allowed->Mask == 0) continue;
        const auto* sid = reinterpret_cast<const unsigned char*>(&allowed->SidStart);
        sids.emplace_back(sid, sid + ::GetLengthSid(&allowed->SidStart));
    }
    return sids;
}

std::vector<unsigned char> LocalSystemSid() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    if (!::AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &sid)) return {};
    const auto* bytes = static_cast<const unsigned char*>(sid);
    std::vector<unsigned char> copy(bytes, bytes + ::GetLengthSid(sid));
    ::FreeSid(sid);
    return copy;
}

// Windows keeps the DACL as written: the user alone. Wine maps it onto the Unix mode bits and reads back the owner's
// bits as the user and LocalSystem; what must never appear is anyone else, which a default file does show.
TEST_F(Win32FileSystemTest, OwnerOnlyFilesGrantNobodyButTheCurrentUser) {
    const std::wstring secret = temp_.At(L"secret.bin");
    const std::wstring plain = temp_.At(L"plain.bin");
    ASSERT_TRUE(files_.ReplaceFile(secret, "secret", FileAccess::OwnerOnly).ok);
    ASSERT_TRUE(files_.ReplaceFile(plain, "plain", FileAccess::Default).ok);
    EXPECT_EQ(files_.ReadFile(secret).bytes, "secret");

    const auto user = CurrentUserSid();
    const auto system = LocalSystemSid();
    ASSERT_FALSE(user.empty());
    const auto others = [&](const std::vector<std::vector<unsigned char>>& sids) {
        int count = 0;
        for (const auto& sid : sids) count += sid != user && sid != system ? 1 : 0;
        return count;
    };
    const auto secretSids = GrantedSids(secret);
    EXPECT_NE(std::find(secretSids.begin(), secretSids.end(), user), secretSids.end());
    EXPECT_EQ(others(secretSids), 0);
    EXPECT_GT(others(GrantedSids(plain)), 0);
}

TEST_F(Win32FileSystemTest, ANewFileIsWrittenPieceByPieceUnsharedAndNeverOverAnExistingName) {
    const std::wstring path = temp_.At(L"download.bin");
    FileError error = 1;
    auto writer = files_.CreateNewFile(path, error);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(error, 0u);
    EXPECT_TRUE(writer->Write("first ", error));
    EXPECT_EQ(files_.ReadFile(path).error, static_cast<FileError>(ERROR_SHARING_VIOLATION)) << "nobody shares it";
    EXPECT_TRUE(writer->Write(std::string("\0second", 7), error));
    EXPECT_TRUE(writer->Close(error));
    EXPECT_EQ(files_.ReadFile(path).bytes, std::string("first \0second", 13));

    EXPECT_EQ(files_.CreateNewFile(path, error), nullptr);
    EXPECT_EQ(error, static_cast<FileError>(ERROR_FILE_EXISTS));
    EXPECT_EQ(files_.ReadFile(path).bytes, std::string("first \0second", 13));
    EXPECT_EQ(files_.CreateNewFile(temp_.At(L"missing\\file"), error), nullptr);
    EXPECT_EQ(error, static_cast<FileError>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Win32FileSystemTest, DeleteFolderRemovesAnEmptyFolderOnly) {
    const std::wstring folder = temp_.At(L"full");
    ASSERT_TRUE(files_.CreateFolder(folder));
    WriteRaw(folder + L"\\f", "x");
    EXPECT_FALSE(files_.DeleteFolder(folder));
    ASSERT_TRUE(files_.DeleteFile(folder + L"\\f"));
    EXPECT_TRUE(files_.DeleteFolder(folder));
    EXPECT_FALSE(files_.FolderExists(folder));
    EXPECT_FALSE(files_.DeleteFolder(folder));
}

TEST_F(Win32FileSystemTest, ALogFileIsSharedForReadingOnly) {
    const std::wstring path = temp_.At(L"Main.log");
    FileError error = 1;
    auto log = files_.OpenLogFile(path, error);
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(error, 0u);
    ASSERT_TRUE(log->Append("line 1\r\n"));

    FileError second = 0;
    EXPECT_EQ(files_.OpenLogFile(path, second), nullptr);
    EXPECT_EQ(second, static_cast<FileError>(ERROR_SHARING_VIOLATION));
    // Readers, the log viewer among them, still get in; a replacement (Save as... over the log) does not.
    EXPECT_EQ(files_.ReadFile(path).bytes, "line 1\r\n");
    const WriteResult refused = files_.ReplaceFile(path, "saved over", FileAccess::Default);
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(refused.opened);
    ASSERT_TRUE(log->Append("line 2\r\n"));
    EXPECT_EQ(files_.ReadFile(path).bytes, "line 1\r\nline 2\r\n");

    log.reset();
    auto reopened = files_.OpenLogFile(path, error);
    ASSERT_NE(reopened, nullptr);
    std::string bytes;
    ASSERT_TRUE(reopened->ReadAll(bytes, error));
    EXPECT_EQ(bytes, "line 1\r\nline 2\r\n");  // opening keeps what is there
}

TEST_F(Win32FileSystemTest, WriteAtAndReadsLeaveAppendAtTheEnd) {
    FileError error = 1;
    auto log = files_.OpenLogFile(temp_.At(L"Main.log"), error);
    ASSERT_NE(log, nullptr);
    ASSERT_TRUE(log->Append("0000 header\n"));
    ASSERT_TRUE(log->Append("first\n"));
    ASSERT_TRUE(log->WriteAt(0, "0001"));
    std::string bytes;
    ASSERT_TRUE(log->ReadAt(5, 6, bytes, error));
    EXPECT_EQ(bytes, "header");
    ASSERT_TRUE(log->Append("second\n"));
    ASSERT_TRUE(log->ReadAll(bytes, error));
    EXPECT_EQ(bytes, "0001 header\nfirst\nsecond\n");

    std::uint64_t size = 0;
    ASSERT_TRUE(log->Size(size, error));
    EXPECT_EQ(size, bytes.size());
    ASSERT_TRUE(log->ReadAt(size - 3, 100, bytes, error));
    EXPECT_EQ(bytes, "nd\n");  // fewer bytes at the end
    ASSERT_TRUE(log->ReadAt(size + 10, 4, bytes, error));
    EXPECT_EQ(bytes, "");

    ASSERT_TRUE(log->Truncate(5));
    ASSERT_TRUE(log->Size(size, error));
    EXPECT_EQ(size, 5u);
    ASSERT_TRUE(log->Append("after\n"));
    ASSERT_TRUE(log->ReadAll(bytes, error));
    EXPECT_EQ(bytes, "0001 after\n");
}

}  // namespace
}  // namespace sealwing::platform
