#include "addin/win32/Module.h"

#include <atomic>

namespace sealwing::win32 {
namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_lockCount{0};

}  // namespace

void SetModuleHandle(HMODULE module) { g_module = module; }
HMODULE ModuleHandle() { return g_module; }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring ModuleFolder() {
    const std::wstring path = ModulePath();
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

void LockModule() { ++g_lockCount; }
void UnlockModule() { --g_lockCount; }
long ModuleLockCount() { return g_lockCount.load(); }

std::mutex& ModuleMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace sealwing::win32
