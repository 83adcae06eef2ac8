#include "platform/win32/Win32LogFile.h"

#include <algorithm>

namespace sealwing::platform {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

}  // namespace

std::unique_ptr<LogFile> Win32LogFile::Open(const std::wstring& path, FileError& error) {
    win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    if (!file.Valid()) {
        error = ::GetLastError();
        return nullptr;
    }
    error = 0;
    return std::unique_ptr<LogFile>(new Win32LogFile(std::move(file)));
}

bool Win32LogFile::Size(std::uint64_t& size, FileError& error) {
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(file_.Get(), &length)) {
        error = ::GetLastError();
        return false;
    }
    size = static_cast<std::uint64_t>(length.QuadPart);
    error = 0;
    return true;
}

// Every operation places the file pointer itself (Append looks up the end each time), so reads and WriteAt may move
// it freely without misplacing the next line.
bool Win32LogFile::Seek(std::uint64_t offset, DWORD method) {
    LARGE_INTEGER distance{};
    distance.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(file_.Get(), distance, nullptr, method) != FALSE;
}

bool Win32LogFile::ReadAt(std::uint64_t offset, std::size_t size, std::string& bytes, FileError& error) {
    bytes.clear();
    if (!Seek(offset, FILE_BEGIN)) {
        error = ::GetLastError();
        return false;
    }
    while (bytes.size() < size) {
        const std::size_t want = std::min(kChunk, size - bytes.size());
        const std::size_t had = bytes.size();
        bytes.resize(had + want);
        DWORD got = 0;
        if (!::ReadFile(file_.Get(), bytes.data() + had, static_cast<DWORD>(want), &got, nullptr)) {
            error = ::GetLastError();
            bytes.clear();
            return false;
        }
        bytes.resize(had + got);
        if (got == 0) break;  // end of file
    }
    error = 0;
    return true;
}

bool Win32LogFile::ReadAll(std::string& bytes, FileError& error) {
    bytes.clear();
    std::string chunk;
    for (;;) {
        if (!ReadAt(bytes.size(), kChunk, chunk, error)) {
            bytes.clear();
            return false;
        }
        if (chunk.empty()) return true;
        bytes += chunk;
    }
}

bool Win32LogFile::Truncate(std::uint64_t length) {
    return Seek(length, FILE_BEGIN) && ::SetEndOfFile(file_.Get()) != FALSE;
}

bool Win32LogFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
    return Seek(offset, FILE_BEGIN) && WriteAll(bytes);
}

bool Win32LogFile::Append(std::string_view bytes) { return Seek(0, FILE_END) && WriteAll(bytes); }

bool Win32LogFile::WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD want = static_cast<DWORD>(std::min(bytes.size(), kChunk));
        DWORD written = 0;
        if (!::WriteFile(file_.Get(), bytes.data(), want, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace sealwing::platform
