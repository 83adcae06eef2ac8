#pragma once

// Helpers shared by the simulated Outlook's tests (not part of the library).

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "outlook/ComError.h"
#include "outlook/Events.h"
#include "outlook/ObjectModel.h"
#include "platform/Files.h"

namespace sealwing::sim::testing {

// The HRESULT a call fails with; S_OK when it returns.
template <class Call>
outlook::HResult CodeOf(Call&& call) {
    try {
        call();
    } catch (const outlook::ComError& error) {
        return error.Code();
    }
    return outlook::hr::S_Ok;
}

// Files in memory: what attachments read and write.
class MemoryFiles : public platform::FileSystem {
public:
    std::map<std::wstring, std::string> files;

    std::wstring KnownFolderPath(platform::KnownFolder) override { return L"/mem"; }
    std::wstring Join(std::wstring_view folder, std::wstring_view name) override {
        return std::wstring(folder) + L"/" + std::wstring(name);
    }
    bool FolderExists(const std::wstring&) override { return true; }
    bool CreateFolder(const std::wstring&) override { return true; }
    platform::ReadResult ReadFile(const std::wstring& path) override {
        const auto found = files.find(path);
        if (found == files.end()) return platform::ReadResult{.error = 2};
        return platform::ReadResult{.ok = true, .opened = true, .bytes = found->second};
    }
    platform::WriteResult ReplaceFile(const std::wstring& path, std::string_view bytes, platform::FileAccess) override {
        if (path.find(L"/readonly/") != std::wstring::npos) return platform::WriteResult{.error = 13};
        files[path] = std::string(bytes);
        return platform::WriteResult{.ok = true, .opened = true};
    }
    bool DeleteFile(const std::wstring& path) override { return files.erase(path) != 0; }
    std::unique_ptr<platform::FileWriter> CreateNewFile(const std::wstring&, platform::FileError& error) override {
        error = 38;
        return nullptr;
    }
    bool DeleteFolder(const std::wstring&) override { return true; }
    std::unique_ptr<platform::LogFile> OpenLogFile(const std::wstring&, platform::FileError& error) override {
        error = 38;
        return nullptr;
    }
};

// Sinks that record what they were told.
struct ExplorersRecorder : outlook::ExplorersEvents {
    std::vector<outlook::Ref<outlook::Explorer>> opened;
    void NewExplorer(const outlook::Ref<outlook::Explorer>& explorer) override { opened.push_back(explorer); }
};

struct InspectorsRecorder : outlook::InspectorsEvents {
    std::vector<outlook::Ref<outlook::Inspector>> opened;
    void NewInspector(const outlook::Ref<outlook::Inspector>& inspector) override { opened.push_back(inspector); }
};

struct WindowRecorder : outlook::ExplorerEvents, outlook::InspectorEvents {
    std::vector<std::wstring> events;
    void Activate() override { events.push_back(L"Activate"); }
    void SelectionChange() override { events.push_back(L"SelectionChange"); }
    void Close() override { events.push_back(L"Close"); }
};

struct ApplicationRecorder : outlook::ApplicationEvents {
    std::vector<std::wstring> events;
    void Quit() override { events.push_back(L"Quit"); }
    void NewMailEx(const std::wstring& entryIds) override { events.push_back(L"NewMailEx " + entryIds); }
};

}  // namespace sealwing::sim::testing
