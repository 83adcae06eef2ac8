#pragma once

#include <memory>
#include <string>

#include "platform/Files.h"
#include "platform/win32/Win32Handle.h"

namespace sealwing::platform {

// A log file opened for reading and writing with read-only sharing: others may read it while it is open, and a
// second open for writing (another log, another process) fails with ERROR_SHARING_VIOLATION. Opened write-through,
// so a line written before the process dies is on disk.
class Win32LogFile final : public LogFile {
public:
    // nullptr and GetLastError() when the file cannot be opened.
    static std::unique_ptr<LogFile> Open(const std::wstring& path, FileError& error);

    bool Size(std::uint64_t& size, FileError& error) override;
    bool ReadAt(std::uint64_t offset, std::size_t size, std::string& bytes, FileError& error) override;
    bool ReadAll(std::string& bytes, FileError& error) override;
    bool Truncate(std::uint64_t length) override;
    bool WriteAt(std::uint64_t offset, std::string_view bytes) override;
    bool Append(std::string_view bytes) override;

private:
    explicit Win32LogFile(win32::UniqueHandle file) : file_(std::move(file)) {}

    bool Seek(std::uint64_t offset, DWORD method);
    bool WriteAll(std::string_view bytes);

    win32::UniqueHandle file_;
};

}  // namespace sealwing::platform
