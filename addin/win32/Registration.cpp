#include "addin/win32/Registration.h"

#include <oleauto.h>
#include <shellapi.h>

#include <map>
#include <optional>
#include <string>

#include "addin/CompanionRegistration.h"
#include "addin/RegistrarScript.h"
#include "addin/win32/Module.h"
#include "addin/win32/RegistryExecutor.h"
#include "addin/win32/ResourceData.h"
#include "addin/win32/RestartNotice.h"
#include "addin/win32/TypeLibrary.h"

namespace sealwing::win32 {
namespace {

constexpr int kAppIdScript = 101;
constexpr int kClassScript = 106;
constexpr const wchar_t* kAppId = L"{D4BF8D75-B74D-4F17-9882-829D99087A76}";
constexpr const wchar_t* kClassId = L"{D5CCAD9E-B3AB-402C-B633-78A9489DCA1B}";
constexpr LCID kSystemDefaultLocale = 0x800;

bool g_perUser = false;

using RegisterTypeLibForUserFunction = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnRegisterTypeLibForUserFunction = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

// The 64-bit companion registers itself in its own process, per user when this DLL is; its result is not awaited.
// The 64-bit build is the companion, so it starts none.
void StartCompanion([[maybe_unused]] bool unregister) {
#ifndef _WIN64
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::wstring program = std::wstring(system) + L"\\regsvr32.exe";
    const std::wstring companion = ModuleFolder() + L"Sealwing_x64.dll";
    const std::wstring parameters = registrar::CompanionRegsvrParameters(companion, unregister, g_perUser);
    ShellExecuteW(nullptr, L"open", program.c_str(), parameters.c_str(), nullptr, SW_HIDE);
#endif
}

class ThreadLocaleSwitch {
public:
    ThreadLocaleSwitch() : saved_(GetThreadLocale()) { SetThreadLocale(kSystemDefaultLocale); }
    ~ThreadLocaleSwitch() { SetThreadLocale(saved_); }
    ThreadLocaleSwitch(const ThreadLocaleSwitch&) = delete;
    ThreadLocaleSwitch& operator=(const ThreadLocaleSwitch&) = delete;

private:
    LCID saved_;
};

HRESULT ExecutePlan(const registrar::Script& script, registrar::Mode mode) {
    return ExecuteRegistryPlan(registrar::PlanScript(script, {mode, g_perUser}));
}

HRESULT RunScript(int resource, registrar::Mode mode) {
    const std::optional<std::wstring> text = ResourceText(L"REGISTRY", resource);
    if (!text) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    const std::map<std::wstring, std::wstring> replacements{{L"MODULE", ModulePath()}, {L"APPID", kAppId}};
    const registrar::ParseResult parsed = registrar::ParseScript(*text, replacements);
    if (!parsed.Ok()) return E_UNEXPECTED;  // the script is the DLL's own resource: a parse error is a build fault
    return ExecutePlan(parsed.script, mode);
}

// The add-in declares no component categories; what remains of their keys is removed when empty.
HRESULT RemoveEmptyCategoryKeys() {
    const std::wstring classKey = std::wstring(L"CLSID\\") + kClassId;
    std::vector<registrar::Operation> plan;
    for (const wchar_t* categories : {L"\\Required Categories", L"\\Implemented Categories"}) {
        registrar::Key key{classKey + categories, false, false, {}, {}};
        const registrar::Script script{{{registrar::Root::ClassesRoot, {std::move(key)}}}};
        for (registrar::Operation operation : registrar::PlanScript(script, {registrar::Mode::Unregister, g_perUser})) {
            operation.kind = registrar::Operation::Kind::DeleteKeyIfEmpty;
            plan.push_back(std::move(operation));
        }
    }
    return ExecuteRegistryPlan(plan);
}

template <class Function>
Function PerUserFunction(const char* name) {
    const HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
    if (oleaut == nullptr || !g_perUser) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(oleaut, name)));
}

HRESULT RegisterOwnTypeLib() {
    ComPtr<ITypeLib> typeLib;
    std::wstring path;
    HRESULT result = LoadOwnTypeLib(typeLib, path);
    if (FAILED(result)) return result;

    // The help directory is the folder of the help file the library names; this one names none.
    ScopedBstr helpFile;
    std::wstring helpFolder;
    if (SUCCEEDED(typeLib->GetDocumentation(-1, nullptr, nullptr, nullptr, helpFile.Receive())) &&
        helpFile.Get() != nullptr) {
        helpFolder = helpFile.Text();
        const std::size_t slash = helpFolder.find_last_of(L"\\/");
        helpFolder = slash == std::wstring::npos ? std::wstring() : helpFolder.substr(0, slash);
    }
    OLECHAR* help = helpFolder.empty() ? nullptr : helpFolder.data();

    if (const auto perUser = PerUserFunction<RegisterTypeLibForUserFunction>("RegisterTypeLibForUser")) {
        return perUser(typeLib.Get(), path.data(), help);
    }
    return RegisterTypeLib(typeLib.Get(), path.data(), help);
}

HRESULT UnregisterOwnTypeLib() {
    ComPtr<ITypeLib> typeLib;
    std::wstring path;
    HRESULT result = LoadOwnTypeLib(typeLib, path);
    if (FAILED(result)) return result;
    TLIBATTR* attributes = nullptr;
    result = typeLib->GetLibAttr(&attributes);
    if (FAILED(result)) return result;
    const TLIBATTR library = *attributes;
    typeLib->ReleaseTLibAttr(attributes);

    if (const auto perUser = PerUserFunction<UnRegisterTypeLibForUserFunction>("UnRegisterTypeLibForUser")) {
        return perUser(library.guid, library.wMajorVerNum, library.wMinorVerNum, library.lcid, library.syskind);
    }
    return UnRegisterTypeLib(library.guid, library.wMajorVerNum, library.wMinorVerNum, library.lcid, library.syskind);
}

bool IsUserCommandLine(const wchar_t* commandLine) {
    return commandLine != nullptr &&
           CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, commandLine, -1, L"user", -1) == CSTR_EQUAL;
}

}  // namespace

HRESULT RegisterServer() {
    ShowRestartNoticeIfOutlookRuns();
    StartCompanion(false);

    const ThreadLocaleSwitch locale;
    HRESULT result = RunScript(kAppIdScript, registrar::Mode::Register);
    if (FAILED(result)) return result;
    result = RunScript(kClassScript, registrar::Mode::Register);
    if (FAILED(result)) return result;
    return RegisterOwnTypeLib();
}

HRESULT UnregisterServer() {
    StartCompanion(true);

    const ThreadLocaleSwitch locale;
    HRESULT result = RemoveEmptyCategoryKeys();
    if (SUCCEEDED(result)) result = RunScript(kClassScript, registrar::Mode::Unregister);
    if (SUCCEEDED(result)) result = UnregisterOwnTypeLib();
    if (SUCCEEDED(result)) result = RunScript(kAppIdScript, registrar::Mode::Unregister);
    return result;
}

HRESULT InstallServer(bool install, const wchar_t* commandLine) {
    if (IsUserCommandLine(commandLine)) g_perUser = true;
    if (!install) return UnregisterServer();
    const HRESULT result = RegisterServer();
    if (FAILED(result)) UnregisterServer();
    return result;
}

}  // namespace sealwing::win32
