#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// System-call helpers shared by the POSIX adapters: every call retries on EINTR and finishes short transfers, and
// each returns 0 or the errno of the failure.
namespace sealwing::platform::posix {

// Owns one file descriptor; closes it on destruction.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    int Release();
    // Closes now and reports the error close gives (a delayed write error shows up here on some file systems).
    int Close();

private:
    int fd_ = -1;
};

// open(2) retried on EINTR; an invalid descriptor and errno on failure.
UniqueFd OpenFd(const std::string& path, int flags, unsigned mode = 0);

// Writes every byte at the descriptor's current position.
int WriteFully(int fd, std::string_view bytes);
// Writes every byte at the given offset without moving the descriptor's position.
int WriteFullyAt(int fd, std::string_view bytes, std::uint64_t offset);
// Reads from offset 0 to the end of the file, whatever its size, without moving the descriptor's position.
int ReadFromStart(int fd, std::string& bytes);
// Reads at most maxSize bytes from the offset, fewer at the end of the file; the file position stays.
int ReadAt(int fd, std::uint64_t offset, std::size_t maxSize, std::string& bytes);

// Replaces the file at path as one step: the bytes go to a temporary file in the same folder, which is flushed to
// disk and renamed over the target, and the folder is flushed so the rename itself survives a power loss.
// ownerOnly creates the new file 0600 whatever the umask, in a folder narrowed to 0700 (NarrowFolderToOwner);
// otherwise it gets 0666 less the umask. The old file's
// permissions never carry over, since the result is a new file. A file that an open log file holds is not replaced:
// EBUSY, and the log keeps writing to the file at that path.
// failedWriting, when given, tells a failure that came while writing the new bytes from one that kept the new file
// from being made or put in place. After a replacement, what writers killed mid-write left of their temporaries for
// this path goes.
int ReplaceFileAtomically(const std::string& path, std::string_view bytes, bool ownerOnly,
                          bool* failedWriting = nullptr);

// Creates the file with these bytes only when no file of that name exists: EEXIST otherwise, and the existing file
// is left as it is. The bytes are written and flushed under a temporary name and linked into place, so a reader
// never sees the file half written. The file is 0600 whatever the umask, in a folder narrowed to 0700.
int CreateFileOnce(const std::string& path, std::string_view bytes);

// Creates the folder (one level) 0700 whatever the umask; 0 when it exists already, whose permissions stay.
int CreatePrivateFolder(const std::string& path);

// Makes a folder of the current user's 0700, whoever else could list or enter it before: the folders that hold
// secrets, which may have been made by hand or by an older program. EPERM for a folder of another user, left as it is.
int NarrowFolderToOwner(const std::string& path);
// The same for every missing level of an absolute path.
int CreatePrivateFolders(const std::string& path);

}  // namespace sealwing::platform::posix
