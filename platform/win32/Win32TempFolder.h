#pragma once

#include "platform/win32/Win32Headers.h"

#include <string>

#include "platform/Text.h"

namespace sealwing::platform {

// A fresh folder under the user's temporary folder, removed with what it holds (tests).
class Win32TempFolder {
public:
    Win32TempFolder() {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        static unsigned sequence = 0;
        path_ = std::wstring(temp) + L"sealwing-" + HexW(::GetCurrentProcessId()) + L"-" + HexW(::GetTickCount()) +
                L"-" + HexW(++sequence);
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~Win32TempFolder() { RemoveTree(path_); }
    Win32TempFolder(const Win32TempFolder&) = delete;
    Win32TempFolder& operator=(const Win32TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring At(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW found{};
        HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = folder + L"\\" + name;
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                    RemoveTree(path);
                } else {
                    ::DeleteFileW(path.c_str());
                }
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        ::RemoveDirectoryW(folder.c_str());
    }

    std::wstring path_;
};

}  // namespace sealwing::platform
