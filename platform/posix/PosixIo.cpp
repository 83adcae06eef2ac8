#include "platform/posix/PosixIo.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <limits>

namespace sealwing::platform::posix {
namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A name no other writer uses: the process id keeps processes apart, the counter keeps threads and calls apart.
std::string TemporaryNameFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter.fetch_add(1));
}

// Removes the temporaries of path that writers killed mid-write left behind: those named for a process that no
// longer exists. Temporaries of live processes, this one's included, may still be written and stay; so does a name
// of a process whose id was reused, until that one ends too.
void RemoveTemporariesOfDeadWriters(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string prefix = path.substr(path.find_last_of('/') + 1) + ".tmp.";
    DIR* const listing = ::opendir(folder.c_str());
    if (listing == nullptr) return;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name(entry->d_name);
        if (!name.starts_with(prefix)) continue;
        const std::string_view rest = name.substr(prefix.size());
        pid_t writer = 0;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), writer);
        if (error != std::errc() || writer <= 0 || end == rest.data() + rest.size() || *end != '.') continue;
        if (writer == ::getpid() || ::kill(writer, 0) == 0 || errno != ESRCH) continue;
        ::unlink((folder + "/" + std::string(name)).c_str());
    }
    ::closedir(listing);
}

void SyncFolder(const std::string& folder) {
    UniqueFd fd = OpenFd(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd.Valid()) ::fsync(fd.Get());
}

// An activity log holds an exclusive flock for as long as it is open. A rename would not stop at that lock: the log
// would go on writing to a file nobody can find. So the target is opened and share-locked first, as Windows refuses
// to replace a file opened without delete sharing; the lock is kept until the rename is done, so the log cannot open
// the old file in between. EBUSY when an open log holds it; a target that cannot be opened is left to the rename.
int LockTargetAgainstOpenLogs(const std::string& path, UniqueFd& held) {
    held = OpenFd(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (!held.Valid()) return 0;
    int locked;
    do {
        locked = ::flock(held.Get(), LOCK_SH | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked == 0 || errno != EWOULDBLOCK) return 0;
    held.Close();
    return EBUSY;
}

// Writes the bytes to a new temporary file beside path and flushes them; 0 and the temporary's name, or the errno
// with nothing left behind (`created` tells whether the temporary could be made at all).
int WriteTemporaryBeside(const std::string& path, std::string_view bytes, bool ownerOnly, std::string& temporary,
                         bool& created) {
    created = false;
    UniqueFd fd;
    do {
        temporary = TemporaryNameFor(path);
        fd = OpenFd(temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, ownerOnly ? 0600 : 0666);
    } while (!fd.Valid() && errno == EEXIST);  // a stale file left by a crashed process that had our id
    if (!fd.Valid()) return errno;
    created = true;

    int error = 0;
    if (ownerOnly && ::fchmod(fd.Get(), 0600) != 0) error = errno;  // the umask may have taken the owner's bits
    if (error == 0) error = WriteFully(fd.Get(), bytes);
    if (error == 0 && ::fsync(fd.Get()) != 0) error = errno;
    if (error == 0) error = fd.Close();
    if (error != 0) {
        fd.Close();
        ::unlink(temporary.c_str());
    }
    return error;
}

}  // namespace

UniqueFd::~UniqueFd() { Close(); }

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.Release();
    }
    return *this;
}

int UniqueFd::Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

int UniqueFd::Close() {
    if (fd_ < 0) return 0;
    // Linux releases the descriptor even when close fails with EINTR, so retrying would close someone else's.
    const int result = ::close(Release());
    return result == 0 || errno == EINTR ? 0 : errno;
}

UniqueFd OpenFd(const std::string& path, int flags, unsigned mode) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags, static_cast<mode_t>(mode));
    } while (fd < 0 && errno == EINTR);
    return UniqueFd(fd);
}

int WriteFully(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int WriteFullyAt(int fd, std::string_view bytes, std::uint64_t offset) {
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    return 0;
}

int ReadFromStart(int fd, std::string& bytes) { return ReadAt(fd, 0, std::numeric_limits<std::size_t>::max(), bytes); }

int ReadAt(int fd, std::uint64_t offset, std::size_t maxSize, std::string& bytes) {
    bytes.clear();
    char buffer[16384];
    auto position = static_cast<off_t>(offset);
    while (bytes.size() < maxSize) {
        const std::size_t wanted = std::min(sizeof buffer, maxSize - bytes.size());
        const ssize_t count = ::pread(fd, buffer, wanted, position);
        if (count < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (count == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(count));
        position += count;
    }
    return 0;
}

int ReplaceFileAtomically(const std::string& path, std::string_view bytes, bool ownerOnly, bool* failedWriting) {
    std::string temporary;
    bool created = false;
    if (ownerOnly) NarrowFolderToOwner(FolderOf(path));
    int error = WriteTemporaryBeside(path, bytes, ownerOnly, temporary, created);
    if (failedWriting != nullptr) *failedWriting = error != 0 && created;
    if (error != 0) return error;
    UniqueFd target;
    error = LockTargetAgainstOpenLogs(path, target);
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return error;
    }
    // The new content is in place now, so the result is success whatever the folder's flush gives: reporting a
    // failure would tell the caller that the old content is still there. A failed flush leaves the old or the new
    // content after a power loss, never a mix, which is all the replacement promises.
    SyncFolder(FolderOf(path));
    RemoveTemporariesOfDeadWriters(path);
    return 0;
}

int CreateFileOnce(const std::string& path, std::string_view bytes) {
    std::string temporary;
    bool created = false;
    NarrowFolderToOwner(FolderOf(path));
    int error = WriteTemporaryBeside(path, bytes, true, temporary, created);
    if (error != 0) return error;
    // link, unlike rename, fails when the name is taken: whoever came first keeps the file.
    if (::link(temporary.c_str(), path.c_str()) != 0) error = errno;
    ::unlink(temporary.c_str());
    if (error == 0) SyncFolder(FolderOf(path));
    return error;
}

int CreatePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0) {
        const int error = errno;
        struct stat status {};
        return error == EEXIST && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) ? 0 : error;
    }
    // The umask may have taken the owner's own bits; nobody else may look in either way.
    return ::chmod(path.c_str(), 0700) == 0 ? 0 : errno;
}

int NarrowFolderToOwner(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return errno;
    if (!S_ISDIR(status.st_mode)) return ENOTDIR;
    if (status.st_uid != ::geteuid()) return EPERM;
    if ((status.st_mode & 07777) == 0700) return 0;
    return ::chmod(path.c_str(), 0700) == 0 ? 0 : errno;
}

int CreatePrivateFolders(const std::string& path) {
    for (auto slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        if (slash + 1 == path.size()) break;  // a trailing separator names the last level itself
        if (const int error = CreatePrivateFolder(path.substr(0, slash)); error != 0) return error;
    }
    return CreatePrivateFolder(path);
}

}  // namespace sealwing::platform::posix
