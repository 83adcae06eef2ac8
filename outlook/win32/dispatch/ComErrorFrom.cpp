#include "outlook/win32/dispatch/ComErrorFrom.h"

#include "outlook/win32/dispatch/ComTypes.h"

namespace sealwing::outlook::win32 {

using sealwing::win32::ComPtr;
using sealwing::win32::ScopedBstr;

std::wstring SystemMessage(HRESULT code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length != 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

ComError ComErrorFrom(HRESULT code, EXCEPINFO* exception) {
    HRESULT reported = code;
    std::wstring description;
    if (exception != nullptr) {
        // A server may defer filling the record until asked.
        if (exception->pfnDeferredFillIn != nullptr) exception->pfnDeferredFillIn(exception);
        ScopedBstr source = ScopedBstr::Attach(exception->bstrSource);
        ScopedBstr text = ScopedBstr::Attach(exception->bstrDescription);
        ScopedBstr help = ScopedBstr::Attach(exception->bstrHelpFile);
        exception->bstrSource = exception->bstrDescription = exception->bstrHelpFile = nullptr;
        if (code == DISP_E_EXCEPTION) {
            // The server's own code is what the caller needs to see, not the transport's.
            if (exception->scode != 0) {
                reported = exception->scode;
            } else if (exception->wCode != 0) {
                reported = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_DISPATCH, exception->wCode);
            }
        }
        description = text.Text();
    }
    if (description.empty()) {
        ComPtr<IErrorInfo> info;
        if (GetErrorInfo(0, info.Receive()) == S_OK && info) {
            ScopedBstr text;
            if (SUCCEEDED(info->GetDescription(text.Receive()))) description = text.Text();
        }
    }
    if (description.empty()) description = SystemMessage(reported);
    return ComError(static_cast<HResult>(reported), std::move(description));
}

}  // namespace sealwing::outlook::win32
