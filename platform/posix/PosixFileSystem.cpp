#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/Text.h"
#include "platform/posix/PosixIo.h"
#include "platform/posix/PosixLogFile.h"

namespace sealwing::platform {
namespace {

// An XDG variable counts only when it holds an absolute path; a relative one is to be ignored.
std::string AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return {};
    return value;
}

std::string XdgFolder(const char* variable, const char* underHome) {
    std::string folder = AbsoluteFromEnvironment(variable);
    if (!folder.empty()) return folder;
    const std::string home = AbsoluteFromEnvironment("HOME");
    if (home.empty()) return {};
    return home + (home.back() == '/' ? "" : "/") + underHome;
}

bool IsFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

class PosixFileWriter final : public FileWriter {
public:
    explicit PosixFileWriter(posix::UniqueFd fd) : fd_(std::move(fd)) {}

    bool Write(std::string_view bytes, FileError& error) override {
        error = static_cast<FileError>(fd_.Valid() ? posix::WriteFully(fd_.Get(), bytes) : EBADF);
        return error == 0;
    }

    bool Close(FileError& error) override {
        if (!fd_.Valid()) {
            error = EBADF;
            return false;
        }
        error = static_cast<FileError>(fd_.Close());
        return error == 0;
    }

private:
    posix::UniqueFd fd_;
};

}  // namespace

PosixFileSystem::PosixFileSystem(std::wstring roamingAppData, std::wstring localAppData)
    : roamingAppData_(std::move(roamingAppData)), localAppData_(std::move(localAppData)) {}

std::wstring PosixFileSystem::KnownFolderPath(KnownFolder folder) {
    const auto& fixed = folder == KnownFolder::RoamingAppData ? roamingAppData_ : localAppData_;
    std::string path;
    if (fixed) {
        path = Utf8FromWide(*fixed);
    } else if (folder == KnownFolder::RoamingAppData) {
        path = XdgFolder("XDG_CONFIG_HOME", ".config");
    } else {
        path = XdgFolder("XDG_STATE_HOME", ".local/state");
    }
    // A folder that cannot be made shows up as the failure of whatever is written there.
    if (!path.empty() && !IsFolder(path)) posix::CreatePrivateFolders(path);
    return WideFromUtf8(path);
}

std::wstring PosixFileSystem::Join(std::wstring_view folder, std::wstring_view name) {
    while (!name.empty() && name.front() == L'/') name.remove_prefix(1);
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'/') path += L'/';
    path += name;
    return path;
}

bool PosixFileSystem::FolderExists(const std::wstring& path) { return IsFolder(Utf8FromWide(path)); }

bool PosixFileSystem::CreateFolder(const std::wstring& path) {
    return posix::CreatePrivateFolder(Utf8FromWide(path)) == 0;
}

ReadResult PosixFileSystem::ReadFile(const std::wstring& path) {
    ReadResult result;
    const posix::UniqueFd fd = posix::OpenFd(Utf8FromWide(path), O_RDONLY | O_CLOEXEC);
    if (!fd.Valid()) {
        result.error = static_cast<FileError>(errno);
        return result;
    }
    result.opened = true;
    result.error = static_cast<FileError>(posix::ReadFromStart(fd.Get(), result.bytes));
    result.ok = result.error == 0;
    if (!result.ok) result.bytes.clear();
    return result;
}

WriteResult PosixFileSystem::ReplaceFile(const std::wstring& path, std::string_view bytes, FileAccess access) {
    bool failedWriting = false;
    WriteResult result;
    result.error = static_cast<FileError>(
        posix::ReplaceFileAtomically(Utf8FromWide(path), bytes, access == FileAccess::OwnerOnly, &failedWriting));
    result.ok = result.error == 0;
    result.opened = result.ok || failedWriting;
    return result;
}

bool PosixFileSystem::DeleteFile(const std::wstring& path) { return ::unlink(Utf8FromWide(path).c_str()) == 0; }

std::unique_ptr<FileWriter> PosixFileSystem::CreateNewFile(const std::wstring& path, FileError& error) {
    posix::UniqueFd fd = posix::OpenFd(Utf8FromWide(path), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (!fd.Valid()) {
        error = static_cast<FileError>(errno);
        return nullptr;
    }
    // The umask may have taken the owner's own bits.
    if (::fchmod(fd.Get(), 0600) != 0) {
        error = static_cast<FileError>(errno);
        ::unlink(Utf8FromWide(path).c_str());
        return nullptr;
    }
    error = 0;
    return std::make_unique<PosixFileWriter>(std::move(fd));
}

bool PosixFileSystem::DeleteFolder(const std::wstring& path) { return ::rmdir(Utf8FromWide(path).c_str()) == 0; }

std::unique_ptr<LogFile> PosixFileSystem::OpenLogFile(const std::wstring& path, FileError& error) {
    return PosixLogFile::Open(Utf8FromWide(path), error);
}

}  // namespace sealwing::platform
