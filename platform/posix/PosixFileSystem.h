#pragma once

#include <optional>
#include <string>

#include "platform/Files.h"

namespace sealwing::platform {

// The files port on POSIX. The application-data folders follow the XDG base-directory rules: roaming data goes to
// $XDG_CONFIG_HOME (default ~/.config), local data to $XDG_STATE_HOME (default ~/.local/state). Paths are UTF-8 on
// disk and wide text at the port.
class PosixFileSystem final : public FileSystem {
public:
    // Folders from the environment, looked up at each request.
    PosixFileSystem() = default;
    // Fixed folders, whatever the environment says (tests, the simulated Outlook's main job).
    PosixFileSystem(std::wstring roamingAppData, std::wstring localAppData);

    // Creates the folder (0700, with any missing parents) when it is missing, as Windows' always exist; the path is
    // returned even when that fails, and creating something inside it then reports the error.
    std::wstring KnownFolderPath(KnownFolder folder) override;
    std::wstring Join(std::wstring_view folder, std::wstring_view name) override;

    bool FolderExists(const std::wstring& path) override;
    // One level, 0700: the folders hold credentials and logs.
    bool CreateFolder(const std::wstring& path) override;

    ReadResult ReadFile(const std::wstring& path) override;
    WriteResult ReplaceFile(const std::wstring& path, std::string_view bytes, FileAccess access) override;
    bool DeleteFile(const std::wstring& path) override;
    // 0600 whatever the umask; a symbolic link at the path is not followed but fails as an existing name.
    std::unique_ptr<FileWriter> CreateNewFile(const std::wstring& path, FileError& error) override;
    bool DeleteFolder(const std::wstring& path) override;

    std::unique_ptr<LogFile> OpenLogFile(const std::wstring& path, FileError& error) override;

private:
    std::optional<std::wstring> roamingAppData_;
    std::optional<std::wstring> localAppData_;
};

}  // namespace sealwing::platform
