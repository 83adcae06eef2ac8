#include "platform/win32/Win32UserInterface.h"

#include <commdlg.h>
#include <shellapi.h>

#include <exception>
#include <mutex>

#include "platform/win32/Win32DialogAdapter.h"
#include "platform/win32/Win32DialogRunner.h"

namespace sealwing::platform {
namespace {

using GetSaveFileNameFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);

// The common-dialog library stays loaded once loaded: a dialog may be open on another thread.
GetSaveFileNameFunction SaveFileDialogFunction() {
    static std::once_flag loaded;
    static GetSaveFileNameFunction function = nullptr;
    std::call_once(loaded, [] {
        if (const HMODULE library = ::LoadLibraryW(L"comdlg32.dll")) {
            function = reinterpret_cast<GetSaveFileNameFunction>(
                reinterpret_cast<void*>(::GetProcAddress(library, "GetSaveFileNameW")));
        }
    });
    return function;
}

// The rich-edit library registers the "RichEdit20W" class that templates name; it stays loaded once loaded, as a
// dialog may be open on another thread. Loaded on first need, so that dialogs without rich text never wait for it.
void LoadRichEditLibrary() {
    static std::once_flag loaded;
    std::call_once(loaded, [] { ::LoadLibraryW(L"riched20.dll"); });
}

bool HasRichEdit(const DialogTemplate& layout) {
    for (const ControlTemplate& control : layout.controls) {
        if (control.kind == ControlKind::RichEdit) return true;
    }
    return false;
}

// The filter is pairs of strings, each ended by a null character, and the list by one more.
std::wstring FilterOf(const SaveFileRequest& request) {
    std::wstring filter = request.filterName;
    filter += L'\0';
    filter += request.filterPattern;
    filter += L'\0';
    filter += L'\0';
    return filter;
}

}  // namespace

DialogResult Win32UserInterface::ShowMessageBox(const MessageBoxRequest& request) {
    const UINT flags =
        static_cast<UINT>(request.icon) | static_cast<UINT>(request.buttons) | (request.taskModal ? MB_TASKMODAL : 0U);
    const int chosen =
        ::MessageBoxW(reinterpret_cast<HWND>(request.owner), request.text.c_str(), request.caption.c_str(), flags);
    switch (chosen) {
        case IDOK:
            return DialogResult::Ok;
        case IDCANCEL:
            return DialogResult::Cancel;
        case IDYES:
            return DialogResult::Yes;
        case IDNO:
            return DialogResult::No;
        default:
            return DialogResult::None;
    }
}

int Win32UserInterface::RunDialog(Dialog& dialog, WindowHandle owner) {
    if (HasRichEdit(dialog.Template())) LoadRichEditLibrary();
    Win32DialogAdapter adapter(dialog);
    const DialogRunResult run = Win32DialogRunner(module_, activationContext_)
                                    .Run(dialog.Template().id, reinterpret_cast<HWND>(owner), adapter);
    adapter.Finish();
    if (run.exception) std::rethrow_exception(run.exception);
    if (!run.Ended()) {
        ::SetLastError(run.error);
        return kDialogFailed;
    }
    return static_cast<int>(run.result);
}

std::optional<std::wstring> Win32UserInterface::ChooseSaveFile(const SaveFileRequest& request) {
    const GetSaveFileNameFunction getSaveFileName = SaveFileDialogFunction();
    if (getSaveFileName == nullptr) return std::nullopt;
    constexpr DWORD kPathCharacters = 260;
    std::wstring path(kPathCharacters, L'\0');
    const std::wstring filter = FilterOf(request);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = reinterpret_cast<HWND>(request.owner);
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = kPathCharacters;
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags = 0;
    if (!getSaveFileName(&dialog)) return std::nullopt;
    path.resize(path.find(L'\0'));
    return path;
}

void Win32UserInterface::OpenLink(const std::wstring& address) {
    ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, L"", SW_SHOWMAXIMIZED);
}

}  // namespace sealwing::platform
