// A test program for the DLL under Wine (not shipped). Two modes:
//   notice <dll> <window title>...   opens top-level windows with these titles, runs DllRegisterServer and answers
//                                    every message box it shows, printing how many there were and what they said.
//   com <dll>                        checks the COM server through its exports: class object, lock count, the ribbon
//                                    XML and the button picture; prints one line per check and fails when one does.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "addin/win32/OfficeInterfaces.h"
#include "addin/win32/RibbonCallback.h"
#include "outlook/win32/dispatch/ComTypes.h"

namespace {

using sealwing::win32::ComPtr;
using sealwing::win32::ScopedBstr;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }  // ASCII texts

struct Box {
    std::wstring caption;
    std::wstring text;
    bool topmost = false;
};
std::vector<Box> g_boxes;
std::set<HWND> g_answered;

BOOL CALLBACK AnswerBox(HWND window, LPARAM) {
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (std::wstring(className) != L"#32770" || g_answered.count(window) != 0) return TRUE;
    g_answered.insert(window);
    wchar_t caption[256] = {};
    wchar_t text[512] = {};
    GetWindowTextW(window, caption, 256);
    GetDlgItemTextW(window, 0xFFFF, text, 512);  // the message box's static text
    g_boxes.push_back({caption, text, (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0});
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

// Runs inside the message box's own modal loop: a thread timer needs no window.
void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0); }

int RunNotice(HMODULE dll, int count, wchar_t** titles) {
    for (int i = 0; i < count; ++i) {
        CreateWindowExW(0, L"STATIC", titles[i], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                        nullptr, nullptr);
    }
    const auto registerServer =
        reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    if (registerServer == nullptr) return 2;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, OnTimer);
    const HRESULT result = registerServer();
    KillTimer(nullptr, timer);
    std::printf("register=0x%08lx\nnotices=%u\n", static_cast<unsigned long>(result),
                static_cast<unsigned>(g_boxes.size()));
    for (const Box& box : g_boxes) {
        std::printf("caption=%s\ntext=%s\nsystemmodal=%d\n", Narrow(box.caption).c_str(), Narrow(box.text).c_str(),
                    box.topmost ? 1 : 0);
    }
    return 0;
}

int g_failures = 0;
void Check(bool passed, const char* what) {
    std::printf("%s %s\n", passed ? "ok:  " : "FAIL:", what);
    if (!passed) ++g_failures;
}

const CLSID kClsid = {0xD5CCAD9E, 0xB3AB, 0x402C, {0xB6, 0x33, 0x78, 0xA9, 0x48, 0x9D, 0xCA, 0x1B}};

HRESULT CallByName(IDispatch* object, const wchar_t* name, VARIANT* argument, VARIANT* result, DISPID* id) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};  // the API takes non-const names, reads only
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
    if (FAILED(hr)) return hr;
    DISPPARAMS parameters{argument, nullptr, 1, 0};
    return object->Invoke(*id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, result, nullptr, nullptr);
}

int RunCom(HMODULE dll) {
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT(WINAPI*)();
    const auto getClassObject =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    const auto canUnloadNow =
        reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    if (getClassObject == nullptr || canUnloadNow == nullptr) return 2;

    Check(getClassObject(kClsid, IID_IClassFactory, nullptr) == E_POINTER, "DllGetClassObject: null out is E_POINTER");
    void* none = reinterpret_cast<void*>(1);
    Check(getClassObject(IID_IDispatch, IID_IClassFactory, &none) == CLASS_E_CLASSNOTAVAILABLE && none == nullptr,
          "DllGetClassObject: unknown class is CLASS_E_CLASSNOTAVAILABLE");
    ComPtr<IClassFactory> factory;
    Check(SUCCEEDED(getClassObject(kClsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Receive()))),
          "DllGetClassObject: class factory");
    if (!factory) return 1;
    ComPtr<IClassFactory> again;
    getClassObject(kClsid, IID_IClassFactory, reinterpret_cast<void**>(again.Receive()));
    Check(again.Get() == factory.Get(), "DllGetClassObject: one class factory");
    Check(canUnloadNow() == S_OK, "DllCanUnloadNow: S_OK with no object and no lock");
    factory->LockServer(TRUE);
    Check(canUnloadNow() == S_FALSE, "DllCanUnloadNow: S_FALSE while the server is locked");
    factory->LockServer(FALSE);

    ComPtr<IDispatch> addin;
    Check(SUCCEEDED(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(addin.Receive()))),
          "CreateInstance: IDispatch");
    if (!addin) return 1;
    Check(canUnloadNow() == S_FALSE, "DllCanUnloadNow: S_FALSE while an object lives");

    auto extension = addin.As<sealwing::win32::_IDTExtensibility2>(sealwing::win32::kIidIDTExtensibility2);
    auto ribbon = addin.As<sealwing::win32::IRibbonExtensibility>(sealwing::win32::kIidIRibbonExtensibility);
    auto callback = addin.As<IRibbonCallback>(IID_IRibbonCallback);
    Check(extension && ribbon && callback, "QueryInterface: _IDTExtensibility2, IRibbonExtensibility, IRibbonCallback");
    if (!extension || !ribbon || !callback) return 1;
    Check(extension->OnConnection(nullptr, sealwing::win32::ext_ConnectMode{}, nullptr, nullptr) == S_OK,
          "OnConnection without Outlook: S_OK");

    ScopedBstr xml;
    Check(ribbon->GetCustomUI(ScopedBstr(L"Microsoft.Outlook.Explorer").Get(), xml.Receive()) == S_OK &&
              xml.Text().find(L"idMso=\"TabMail\"") != std::wstring::npos,
          "GetCustomUI: the main window's ribbon");
    Check(ribbon->GetCustomUI(ScopedBstr(L"Microsoft.Outlook.Mail.Compose").Get(), xml.Receive()) == S_OK &&
              xml.Text().find(L"idMso=\"TabNewMailMessage\"") != std::wstring::npos,
          "GetCustomUI: the compose window's ribbon");
    Check(ribbon->GetCustomUI(ScopedBstr(L"Microsoft.Outlook.Contact").Get(), xml.Receive()) == S_OK &&
              xml.Get() == nullptr,
          "GetCustomUI: another ribbon, S_OK and no text");
    Check(ribbon->GetCustomUI(ScopedBstr(L"Microsoft.Outlook.Explorer").Get(), nullptr) == E_POINTER,
          "GetCustomUI: null out is E_POINTER");

    VARIANT name;
    VariantInit(&name);
    name.vt = VT_BSTR;
    name.bstrVal = SysAllocString(L"SealwingButtonImg");
    VARIANT picture;
    VariantInit(&picture);
    DISPID id = 0;
    const HRESULT loaded = CallByName(addin.Get(), L"LoadImage", &name, &picture, &id);
    Check(SUCCEEDED(loaded) && id == 42 && picture.vt == VT_DISPATCH && picture.pdispVal != nullptr,
          "LoadImage by name (DISPID 42): a picture");
    if (picture.vt == VT_DISPATCH && picture.pdispVal != nullptr) {
        ComPtr<IDispatch> holder = ComPtr<IDispatch>::Attach(picture.pdispVal);
        picture.vt = VT_EMPTY;
        const auto image = holder.As<IPicture>(IID_IPicture);
        OLE_HANDLE handle = 0;
        BITMAP bitmap{};
        const bool sized =
            image && SUCCEEDED(image->get_Handle(&handle)) &&
            GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof(bitmap), &bitmap) != 0 &&
            bitmap.bmWidth == 48 && bitmap.bmHeight == 48;
        Check(sized, "LoadImage: the picture is a 48x48 bitmap");
    }
    VariantClear(&name);
    name.vt = VT_BSTR;
    name.bstrVal = SysAllocString(L"OtherImage");
    const HRESULT other = CallByName(addin.Get(), L"LoadImage", &name, &picture, &id);
    Check(other == S_OK && (picture.vt == VT_EMPTY || (picture.vt == VT_DISPATCH && picture.pdispVal == nullptr)),
          "LoadImage: another name, S_OK and no picture");
    VariantClear(&picture);
    VariantClear(&name);

    const wchar_t* commands[] = {L"UIStartup", L"Sealwing", L"SealwingOptions", L"SealwingAbout"};
    const DISPID ids[] = {45, 43, 44, 46};
    for (int i = 0; i < 4; ++i) {
        VARIANT control;
        VariantInit(&control);
        control.vt = VT_DISPATCH;
        control.pdispVal = nullptr;
        VARIANT result;
        VariantInit(&result);
        const HRESULT hr = CallByName(addin.Get(), commands[i], &control, &result, &id);
        Check(hr == S_OK && id == ids[i], (std::string("invoke by name: ") + Narrow(commands[i])).c_str());
    }

    Check(extension->OnDisconnection(sealwing::win32::ext_DisconnectMode{}, nullptr) == S_OK, "OnDisconnection: S_OK");
    addin.Reset();
    extension.Reset();
    ribbon.Reset();
    callback.Reset();
    Check(canUnloadNow() == S_OK, "DllCanUnloadNow: S_OK once the object is released");
    return g_failures == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: sealwing_registration_probe notice|com <dll> [window titles...]\n");
        return 2;
    }
    const std::wstring mode = argv[1];
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HMODULE dll = LoadLibraryW(argv[2]);
    if (dll == nullptr) {
        std::fprintf(stderr, "cannot load the DLL (error %lu)\n", GetLastError());
        return 2;
    }
    int status = 2;
    if (mode == L"notice") status = RunNotice(dll, argc - 3, argv + 3);
    if (mode == L"com") status = RunCom(dll);
    std::fflush(stdout);
    CoUninitialize();
    return status;
}
