#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace sealwing::platform {

// Platform error number of a failed file operation (errno on POSIX, GetLastError on Windows).
using FileError = std::uint32_t;

enum class KnownFolder {
    RoamingAppData,  // the credentials file
    LocalAppData,    // activity logs and scratch attachment files
};

// Who may read a file that ReplaceFile writes.
enum class FileAccess {
    Default,    // the user's usual permissions
    OwnerOnly,  // secrets: nobody but the current user
};

struct ReadResult {
    bool ok = false;
    // The file could be opened: a failure then came while reading it.
    bool opened = false;
    std::string bytes{};
    FileError error = 0;
};

struct WriteResult {
    bool ok = false;
    // The new file could be created: a failure then came while writing it. Either way the old file is unchanged.
    bool opened = false;
    FileError error = 0;
};

// A log file held open for the life of its log: one writer, others may only read it (a second OpenLogFile of the
// same path fails while this one is open). Writes reach the file at once; nothing is buffered in the process.
class LogFile {
public:
    virtual ~LogFile() = default;
    virtual bool Size(std::uint64_t& size, FileError& error) = 0;
    // Reads at most `size` bytes from the offset (fewer at the end of the file); the append position stays.
    virtual bool ReadAt(std::uint64_t offset, std::size_t size, std::string& bytes, FileError& error) = 0;
    // Reads the whole file from offset 0.
    virtual bool ReadAll(std::string& bytes, FileError& error) = 0;
    // Cuts the file to `length` bytes.
    virtual bool Truncate(std::uint64_t length) = 0;
    // Writes at the given offset; the next Append still goes to the end of the file.
    virtual bool WriteAt(std::uint64_t offset, std::string_view bytes) = 0;
    virtual bool Append(std::string_view bytes) = 0;
};

// A new file written piece by piece, such as a download streamed to disk as it arrives. Destroying the writer closes
// the file; one that was not closed successfully is incomplete, and whoever created it deletes it.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    // Appends every byte, or fails with the error.
    virtual bool Write(std::string_view bytes, FileError& error) = 0;
    // Closes the file; a failure here (a delayed write error) means the file is incomplete. The file is not flushed
    // to disk: what is written this way is scratch that lives for moments.
    virtual bool Close(FileError& error) = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The folder's path; empty when the platform cannot tell.
    virtual std::wstring KnownFolderPath(KnownFolder folder) = 0;
    // folder + the platform's separator + name.
    virtual std::wstring Join(std::wstring_view folder, std::wstring_view name) = 0;

    virtual bool FolderExists(const std::wstring& path) = 0;
    // Creates one level; false when it could not be created (an existing folder is not an error).
    virtual bool CreateFolder(const std::wstring& path) = 0;

    virtual ReadResult ReadFile(const std::wstring& path) = 0;
    // Replaces the file as one step: a failure or a crash leaves the old content or the new one, never a mix. A file
    // that an open log file holds is not replaced (as Windows' sharing rules have it).
    virtual WriteResult ReplaceFile(const std::wstring& path, std::string_view bytes, FileAccess access) = 0;
    virtual bool DeleteFile(const std::wstring& path) = 0;
    // Creates a new file for writing, private to the current user and shared with nobody while it is open; it fails
    // when a file or folder of that name exists, so nothing already there is ever overwritten or followed. nullptr
    // and the error when it cannot be created.
    virtual std::unique_ptr<FileWriter> CreateNewFile(const std::wstring& path, FileError& error) = 0;
    // Deletes an empty folder.
    virtual bool DeleteFolder(const std::wstring& path) = 0;

    // Opens (creating when missing) a log file; nullptr and the error when it cannot be opened.
    virtual std::unique_ptr<LogFile> OpenLogFile(const std::wstring& path, FileError& error) = 0;
};

}  // namespace sealwing::platform
