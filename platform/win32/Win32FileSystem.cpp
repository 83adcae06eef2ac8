#include "platform/win32/Win32FileSystem.h"

#include "platform/win32/Win32Headers.h"
#include <shlobj.h>

#include <algorithm>
#include <atomic>

#include "platform/Text.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32LogFile.h"
#include "platform/win32/Win32OwnerOnlySecurity.h"

namespace sealwing::platform {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void CreateFolderWithParents(const std::wstring& path) {
    if (path.empty() || IsFolder(path)) return;
    for (std::size_t at = 1; at < path.size(); ++at) {
        // Skips the drive ("C:") and the server of a UNC path, which cannot be created; their failure is harmless.
        if (IsSeparator(path[at]) && !IsSeparator(path[at - 1]))
            ::CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    }
    ::CreateDirectoryW(path.c_str(), nullptr);  // a failure shows up when something is made inside it
}

std::wstring ShellFolder(int csidl) {
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, buffer))) return {};
    return buffer;
}

// Unique within the process and across processes writing the same file at once.
std::wstring TemporaryName(const std::wstring& path) {
    static std::atomic<std::uint32_t> counter{0};
    return path + L"." + HexW(::GetCurrentProcessId()) + L"." + HexW(++counter) + L".tmp";
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD want = static_cast<DWORD>(std::min(bytes.size(), kChunk));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), want, &written, nullptr)) return false;
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

class Win32FileWriter final : public FileWriter {
public:
    explicit Win32FileWriter(win32::UniqueHandle file) : file_(std::move(file)) {}

    bool Write(std::string_view bytes, FileError& error) override {
        if (!file_.Valid()) {
            error = ERROR_INVALID_HANDLE;
            return false;
        }
        error = WriteAll(file_.Get(), bytes) ? 0 : ::GetLastError();
        return error == 0;
    }

    bool Close(FileError& error) override {
        if (!file_.Valid()) {
            error = ERROR_INVALID_HANDLE;
            return false;
        }
        error = ::CloseHandle(file_.Release()) ? 0 : ::GetLastError();
        return error == 0;
    }

private:
    win32::UniqueHandle file_;
};

}  // namespace

Win32FileSystem::Win32FileSystem(std::wstring roamingAppData, std::wstring localAppData)
    : roamingAppData_(std::move(roamingAppData)), localAppData_(std::move(localAppData)) {}

std::wstring Win32FileSystem::KnownFolderPath(KnownFolder folder) {
    const auto& fixed = folder == KnownFolder::RoamingAppData ? roamingAppData_ : localAppData_;
    if (fixed) {
        CreateFolderWithParents(*fixed);
        return *fixed;
    }
    return ShellFolder(folder == KnownFolder::RoamingAppData ? CSIDL_APPDATA : CSIDL_LOCAL_APPDATA);
}

std::wstring Win32FileSystem::Join(std::wstring_view folder, std::wstring_view name) {
    while (!name.empty() && IsSeparator(name.front())) name.remove_prefix(1);
    std::wstring path(folder);
    if (!path.empty() && !IsSeparator(path.back())) path += L'\\';
    path += name;
    return path;
}

bool Win32FileSystem::FolderExists(const std::wstring& path) { return IsFolder(path); }

bool Win32FileSystem::CreateFolder(const std::wstring& path) {
    if (::CreateDirectoryW(path.c_str(), nullptr)) return true;
    return ::GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(path);
}

ReadResult Win32FileSystem::ReadFile(const std::wstring& path) {
    ReadResult result;
    const win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        result.error = ::GetLastError();
        return result;
    }
    result.opened = true;
    for (;;) {
        const std::size_t had = result.bytes.size();
        result.bytes.resize(had + kChunk);
        DWORD got = 0;
        if (!::ReadFile(file.Get(), result.bytes.data() + had, static_cast<DWORD>(kChunk), &got, nullptr)) {
            result.error = ::GetLastError();
            result.bytes.clear();
            return result;
        }
        result.bytes.resize(had + got);
        if (got == 0) break;
    }
    result.ok = true;
    return result;
}

WriteResult Win32FileSystem::ReplaceFile(const std::wstring& path, std::string_view bytes, FileAccess access) {
    WriteResult result;
    win32::OwnerOnlySecurity ownerOnly;
    SECURITY_ATTRIBUTES* security = nullptr;
    if (access == FileAccess::OwnerOnly) {
        if (!ownerOnly.Ok()) {
            result.error = ownerOnly.Error();
            return result;
        }
        security = ownerOnly.Attributes();
    }
    const std::wstring temporary = TemporaryName(path);
    win32::UniqueHandle file(
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, security, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        result.error = ::GetLastError();
        return result;
    }
    const bool written = WriteAll(file.Get(), bytes) && ::FlushFileBuffers(file.Get());
    result.error = written ? 0 : ::GetLastError();
    file.Close();
    // A failed move is the target that cannot be replaced (in use, a folder, no access): it was never opened.
    if (written && ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        result.ok = result.opened = true;
        return result;
    }
    result.opened = !written;
    if (result.error == 0) result.error = ::GetLastError();
    ::DeleteFileW(temporary.c_str());
    return result;
}

bool Win32FileSystem::DeleteFile(const std::wstring& path) { return ::DeleteFileW(path.c_str()) != FALSE; }

std::unique_ptr<FileWriter> Win32FileSystem::CreateNewFile(const std::wstring& path, FileError& error) {
    win32::OwnerOnlySecurity ownerOnly;
    if (!ownerOnly.Ok()) {
        error = ownerOnly.Error();
        return nullptr;
    }
    win32::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, ownerOnly.Attributes(), CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        error = ::GetLastError();
        return nullptr;
    }
    error = 0;
    return std::make_unique<Win32FileWriter>(std::move(file));
}

bool Win32FileSystem::DeleteFolder(const std::wstring& path) { return ::RemoveDirectoryW(path.c_str()) != FALSE; }

std::unique_ptr<LogFile> Win32FileSystem::OpenLogFile(const std::wstring& path, FileError& error) {
    return Win32LogFile::Open(path, error);
}

}  // namespace sealwing::platform
