#pragma once

#include <memory>
#include <string>

#include "platform/Files.h"
#include "platform/posix/PosixIo.h"

namespace sealwing::platform {

// A log file held with an exclusive flock: flock locks belong to the open file description, so a second open of the
// same file fails to lock even within this process, which stands in for Windows' share-read-only open. Every write
// is a system call of its own, so a line written before the process dies is in the file.
class PosixLogFile final : public LogFile {
public:
    // nullptr and the errno when the file cannot be opened, or is held by another open log.
    static std::unique_ptr<LogFile> Open(const std::string& path, FileError& error);

    bool Size(std::uint64_t& size, FileError& error) override;
    bool ReadAt(std::uint64_t offset, std::size_t size, std::string& bytes, FileError& error) override;
    bool ReadAll(std::string& bytes, FileError& error) override;
    bool Truncate(std::uint64_t length) override;
    bool WriteAt(std::uint64_t offset, std::string_view bytes) override;
    bool Append(std::string_view bytes) override;

private:
    explicit PosixLogFile(posix::UniqueFd fd) : fd_(std::move(fd)) {}

    posix::UniqueFd fd_;
};

}  // namespace sealwing::platform
