#include "platform/posix/PosixLogFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

namespace sealwing::platform {

std::unique_ptr<LogFile> PosixLogFile::Open(const std::string& path, FileError& error) {
    // No O_APPEND: Linux makes pwrite on such a descriptor append too, and the marker is rewritten at offset 0.
    // 0600 because a log holds the user's account addresses and display names.
    posix::UniqueFd fd = posix::OpenFd(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (!fd.Valid()) {
        error = static_cast<FileError>(errno);
        return nullptr;
    }
    int locked;
    do {
        locked = ::flock(fd.Get(), LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        error = static_cast<FileError>(errno);
        return nullptr;
    }
    error = 0;
    return std::unique_ptr<LogFile>(new PosixLogFile(std::move(fd)));
}

bool PosixLogFile::Size(std::uint64_t& size, FileError& error) {
    struct stat status {};
    if (::fstat(fd_.Get(), &status) != 0) {
        error = static_cast<FileError>(errno);
        return false;
    }
    size = static_cast<std::uint64_t>(status.st_size);
    error = 0;
    return true;
}

bool PosixLogFile::ReadAt(std::uint64_t offset, std::size_t size, std::string& bytes, FileError& error) {
    error = static_cast<FileError>(posix::ReadAt(fd_.Get(), offset, size, bytes));
    return error == 0;
}

bool PosixLogFile::ReadAll(std::string& bytes, FileError& error) {
    error = static_cast<FileError>(posix::ReadFromStart(fd_.Get(), bytes));
    return error == 0;
}

bool PosixLogFile::Truncate(std::uint64_t length) {
    if (length > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return false;
    int result;
    do {
        result = ::ftruncate(fd_.Get(), static_cast<off_t>(length));
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool PosixLogFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
    return posix::WriteFullyAt(fd_.Get(), bytes, offset) == 0;
}

bool PosixLogFile::Append(std::string_view bytes) {
    // The end is looked up at every append, so neither WriteAt nor Truncate can leave a stale position behind.
    if (::lseek(fd_.Get(), 0, SEEK_END) < 0) return false;
    return posix::WriteFully(fd_.Get(), bytes) == 0;
}

}  // namespace sealwing::platform
