#include "sim/win32/HarnessSupport.h"

#include <cstdio>

#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/win32/Win32FileSystem.h"
#include "sim/win32/ServeObjects.h"

namespace sealwing::sim::win32 {
namespace {

std::vector<std::string>& SimulationFailures() {
    static std::vector<std::string> failures;
    return failures;
}

}  // namespace

void Report::Check(bool held, const std::string& what) {
    std::printf("%s %s\n", held ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!held) failed_ = true;
}

void Report::Note(const std::string& what) {
    std::printf("     %s\n", what.c_str());
    std::fflush(stdout);
}

std::string Narrow(const std::wstring& text) { return platform::Utf8FromWide(text); }

std::string HexCode(HRESULT code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return text;
}

std::string ReadText(const std::wstring& path) {
    platform::Win32FileSystem files;
    const auto read = files.ReadFile(path);
    return read.ok ? read.bytes : std::string();
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

std::wstring LogPath(const wchar_t* name) {
    platform::Win32FileSystem files;
    return files.Join(files.Join(files.KnownFolderPath(platform::KnownFolder::LocalAppData), L"Parcelon"),
                      std::wstring(name) + L".log");
}

void RecordSimulationFailure(const std::string& failure) { SimulationFailures().push_back(failure); }

void CheckNoEscapedExceptions(Report& report, const std::string& log) {
    for (const auto& failure : SimulationFailures()) report.Note(failure);
    report.Check(SimulationFailures().empty(), "no exception escaped into the simulated Outlook");
    report.Check(log.find("[ERROR] Unhandled exception") == std::string::npos,
                 "no exception other than a COM error was caught at the add-in's entries");
}

ScopedAccountOptions::ScopedAccountOptions(const std::wstring& address, DWORD place, DWORD cc)
    : key_(L"Software\\Parcelon\\Outlook addin\\" + address) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    const auto set = [key](const wchar_t* name, DWORD value) {
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
               ERROR_SUCCESS;
    };
    const DWORD destruct = 7;  // chosen already: the add-in asks the service nothing about it
    written_ = set(L"Place", place) && set(L"CC", cc) && set(L"Destruct", destruct);
    RegCloseKey(key);
}

ScopedAccountOptions::~ScopedAccountOptions() { RegDeleteKeyW(HKEY_CURRENT_USER, key_.c_str()); }

bool LoadedAddin::Load(const std::wstring& dllPath, SimOutlook& outlook, Report& report) {
    std::wstring failure;
    addin_ = CreateAddin(dllPath, failure);
    report.Check(static_cast<bool>(addin_), "add-in created" + (failure.empty() ? "" : ": " + Narrow(failure)));
    if (!addin_) return false;
    application_ = ServeObject(outlook.Application());
    HRESULT result = addin_->OnConnection(application_.Get(), 1 /* ext_cm_Startup */, nullptr, &custom_);
    report.Check(result == S_OK, "OnConnection returned " + HexCode(result));
    result = addin_->OnStartupComplete(&custom_);
    report.Check(result == S_OK, "OnStartupComplete returned " + HexCode(result));
    return true;
}

void LoadedAddin::Unload(Report& report) {
    HRESULT result = addin_->OnBeginShutdown(&custom_);
    report.Check(result == S_OK, "OnBeginShutdown returned " + HexCode(result));
    result = addin_->OnDisconnection(0 /* ext_dm_HostShutdown */, &custom_);
    report.Check(result == S_OK, "OnDisconnection returned " + HexCode(result));
}

sealwing::win32::ComPtr<IUnknown> LoadedAddin::Object() const { return addin_.As<IUnknown>(IID_IUnknown); }

LoadedAddin::~LoadedAddin() {
    addin_.Reset();
    application_.Reset();
}

}  // namespace sealwing::sim::win32
