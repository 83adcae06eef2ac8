#pragma once

#include <optional>
#include <string>

#include "platform/Files.h"

namespace sealwing::platform {

// The files port on Windows: the shell's application-data folders, wide paths throughout, errors as GetLastError().
class Win32FileSystem final : public FileSystem {
public:
    // The current user's folders, from the shell.
    Win32FileSystem() = default;
    // Fixed folders (tests); created with their parents on request, as the shell's always exist.
    Win32FileSystem(std::wstring roamingAppData, std::wstring localAppData);

    std::wstring KnownFolderPath(KnownFolder folder) override;
    std::wstring Join(std::wstring_view folder, std::wstring_view name) override;

    bool FolderExists(const std::wstring& path) override;
    bool CreateFolder(const std::wstring& path) override;

    // Reads while others write: an open log file can be read.
    ReadResult ReadFile(const std::wstring& path) override;
    // A temporary file beside the target, flushed, then moved over it write-through. OwnerOnly gives the new file a
    // protected DACL for the current user alone.
    WriteResult ReplaceFile(const std::wstring& path, std::string_view bytes, FileAccess access) override;
    bool DeleteFile(const std::wstring& path) override;
    // CREATE_NEW without sharing, with the owner-only DACL of OwnerOnly files.
    std::unique_ptr<FileWriter> CreateNewFile(const std::wstring& path, FileError& error) override;
    bool DeleteFolder(const std::wstring& path) override;

    std::unique_ptr<LogFile> OpenLogFile(const std::wstring& path, FileError& error) override;

private:
    std::optional<std::wstring> roamingAppData_;
    std::optional<std::wstring> localAppData_;
};

}  // namespace sealwing::platform
