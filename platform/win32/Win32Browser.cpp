#include "platform/win32/Win32Browser.h"

#include "platform/win32/Win32Headers.h"
#include <commctrl.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <ocidl.h>
#include <ole2.h>

#include <utility>

#include "platform/EntryGuard.h"

namespace sealwing::platform {
namespace {

// An owned interface reference.
template <class T>
class Ref {
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { Reset(); }
    void Reset() {
        if (raw_ != nullptr) std::exchange(raw_, nullptr)->Release();
    }
    T** Receive() {
        Reset();
        return &raw_;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
    T* Get() const { return raw_; }
    T* operator->() const { return raw_; }
    explicit operator bool() const { return raw_ != nullptr; }

private:
    T* raw_ = nullptr;
};

// The reference count of the COM objects below: they live on the UI thread only.
class Counted {
protected:
    ULONG Add() { return ++references_; }
    ULONG Drop() {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    virtual ~Counted() = default;

private:
    ULONG references_ = 1;
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored \
    "-Wnon-virtual-dtor"  // COM objects: destroyed by Release only, never through an interface

// The control's site: client site, in-place site and in-place frame in one object, all about one window.
class Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame, private Counted {
public:
    explicit Site(HWND window) : window_(window) {}

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
            *object = static_cast<IOleClientSite*>(this);
        } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
            *object = static_cast<IOleInPlaceSite*>(this);
        } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
            *object = static_cast<IOleInPlaceFrame*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return Add(); }
    STDMETHODIMP_(ULONG) Release() override { return Drop(); }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        if (moniker != nullptr) *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override {
        if (container != nullptr) *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow (for the in-place site and the frame alike)
    STDMETHODIMP GetWindow(HWND* window) override {
        if (window == nullptr) return E_POINTER;
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override {
        if (frame != nullptr) {
            *frame = this;
            AddRef();
        }
        if (document != nullptr) *document = nullptr;
        if (position != nullptr) ::GetClientRect(window_, position);
        if (clip != nullptr) ::GetClientRect(window_, clip);
        if (frameInfo != nullptr) {
            frameInfo->fMDIApp = FALSE;
            frameInfo->hwndFrame = window_;
            frameInfo->haccel = nullptr;
            frameInfo->cAccelEntries = 0;
        }
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

    // IOleInPlaceFrame
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    HWND window_;
};

// The DWebBrowserEvents2 sink: DocumentComplete (DISPID 259) of the top-level frame reaches the port's events; the
// rest is ignored. Cut loose when disconnected, since the control may hold it a while longer.
class EventSink final : public IDispatch, private Counted {
public:
    EventSink(BrowserEvents& events, IUnknown* control) : events_(&events), control_(control) {}

    void CutLoose() { events_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return Add(); }
    STDMETHODIMP_(ULONG) Release() override { return Drop(); }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count != nullptr) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr) *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        if (member != DISPID_DOCUMENTCOMPLETE || events_ == nullptr || parameters == nullptr ||
            parameters->cArgs != 2) {
            return S_OK;
        }
        // Arguments come last first: [1] the frame's IDispatch, [0] the address (a VARIANT by reference).
        const VARIANT& frame = parameters->rgvarg[1];
        if (frame.vt == VT_DISPATCH && !IsControl(frame.pdispVal)) return S_OK;  // a frame's document
        std::wstring url;
        const VARIANT* address = &parameters->rgvarg[0];
        if (address->vt == (VT_BYREF | VT_VARIANT) && address->pvarVal != nullptr) address = address->pvarVal;
        if (address->vt == VT_BSTR && address->bstrVal != nullptr) url = address->bstrVal;
        BrowserEvents* events = events_;
        GuardEntry([&] { events->DocumentComplete(url); });
        return S_OK;
    }

private:
    bool IsControl(IDispatch* frame) const {
        if (frame == nullptr) return false;
        Ref<IUnknown> identity;
        if (FAILED(frame->QueryInterface(IID_IUnknown, identity.ReceiveVoid()))) return false;
        return identity.Get() == control_;
    }

    BrowserEvents* events_;
    IUnknown* control_;  // the control's identity, held by the hosting
};

#pragma GCC diagnostic pop

// The window's subclass that keeps the control over its client area and closes it with the window.
LRESULT CALLBACK HostingSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);

}  // namespace

// Everything one hosted control holds, owned by its Win32BrowserControl; the window's subclass points here.
struct BrowserHosting {
    HWND window = nullptr;
    Site* site = nullptr;
    Ref<IOleObject> object;
    Ref<IUnknown> identity;
    Ref<IWebBrowser2> browser;
    Ref<IConnectionPoint> events;
    EventSink* sink = nullptr;
    DWORD cookie = BrowserControl::kNotConnected;

    ~BrowserHosting() { Close(); }

    void Disconnect() {
        if (events && cookie != BrowserControl::kNotConnected) events->Unadvise(cookie);
        cookie = BrowserControl::kNotConnected;
        events.Reset();
        if (sink != nullptr) {
            sink->CutLoose();
            std::exchange(sink, nullptr)->Release();
        }
    }

    // Deactivates and closes the control, and lets go of the window; once only.
    void Close() {
        Disconnect();
        if (object) {
            Ref<IOleInPlaceObject> inPlace;
            if (SUCCEEDED(object->QueryInterface(IID_IOleInPlaceObject, inPlace.ReceiveVoid()))) {
                inPlace->InPlaceDeactivate();
            }
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
        }
        browser.Reset();
        object.Reset();
        identity.Reset();
        if (site != nullptr) std::exchange(site, nullptr)->Release();
        if (window != nullptr) ::RemoveWindowSubclass(std::exchange(window, nullptr), &HostingSubclass, 1);
    }

    void FitToWindow() const {
        if (!object || window == nullptr) return;
        RECT client{};
        ::GetClientRect(window, &client);
        Ref<IOleInPlaceObject> inPlace;
        if (SUCCEEDED(object->QueryInterface(IID_IOleInPlaceObject, inPlace.ReceiveVoid()))) {
            inPlace->SetObjectRects(&client, &client);
        }
    }
};

namespace {

LRESULT CALLBACK HostingSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* hosting = reinterpret_cast<BrowserHosting*>(data);
    if (message == WM_SIZE) {
        GuardEntry([hosting] { hosting->FitToWindow(); });
    } else if (message == WM_DESTROY) {
        GuardEntry([hosting] { hosting->Close(); });
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<BrowserControl> Win32Browser::CreateControl(WindowHandle window) {
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (!::IsWindow(hwnd)) return nullptr;
    auto hosting = std::make_unique<BrowserHosting>();
    if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  hosting->object.ReceiveVoid()))) {
        return nullptr;
    }
    hosting->object->QueryInterface(IID_IUnknown, hosting->identity.ReceiveVoid());
    if (FAILED(hosting->object->QueryInterface(IID_IWebBrowser2, hosting->browser.ReceiveVoid()))) return nullptr;
    hosting->site = new Site(hwnd);
    if (FAILED(hosting->object->SetClientSite(hosting->site))) return nullptr;
    RECT client{};
    ::GetClientRect(hwnd, &client);
    if (FAILED(hosting->object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, hosting->site, 0, hwnd, &client))) {
        return nullptr;
    }
    if (!::SetWindowSubclass(hwnd, &HostingSubclass, 1, reinterpret_cast<DWORD_PTR>(hosting.get()))) return nullptr;
    hosting->window = hwnd;
    hosting->FitToWindow();
    return std::make_unique<Win32BrowserControl>(std::move(hosting));
}

Win32BrowserControl::Win32BrowserControl(std::unique_ptr<BrowserHosting> hosting) : hosting_(std::move(hosting)) {}

Win32BrowserControl::~Win32BrowserControl() = default;

IWebBrowser2* Win32BrowserControl::WebBrowser() const { return hosting_->browser.Get(); }

bool Win32BrowserControl::Navigate(const std::wstring& url) {
    if (!hosting_->browser) return false;
    BSTR address = ::SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    VARIANT empty;
    ::VariantInit(&empty);
    const HRESULT result = hosting_->browser->Navigate(address, &empty, &empty, &empty, &empty);
    ::SysFreeString(address);
    return SUCCEEDED(result);
}

namespace {

bool HtmlDocument(IWebBrowser2* browser, Ref<IHTMLDocument2>& document) {
    if (browser == nullptr) return false;
    Ref<IDispatch> dispatch;
    if (FAILED(browser->get_Document(dispatch.Receive())) || !dispatch) return false;
    return SUCCEEDED(dispatch->QueryInterface(IID_IHTMLDocument2, document.ReceiveVoid())) && document;
}

}  // namespace

bool Win32BrowserControl::HasHtmlDocument() {
    Ref<IHTMLDocument2> document;
    return HtmlDocument(hosting_->browser.Get(), document);
}

bool Win32BrowserControl::WriteHtml(const std::wstring& html) {
    Ref<IHTMLDocument2> document;
    if (!HtmlDocument(hosting_->browser.Get(), document)) return false;
    SAFEARRAY* texts = ::SafeArrayCreateVector(VT_VARIANT, 0, 1);
    if (texts == nullptr) return false;
    VARIANT* text = nullptr;
    if (FAILED(::SafeArrayAccessData(texts, reinterpret_cast<void**>(&text)))) {
        ::SafeArrayDestroy(texts);
        return false;
    }
    text->vt = VT_BSTR;
    text->bstrVal = ::SysAllocStringLen(html.data(), static_cast<UINT>(html.size()));
    ::SafeArrayUnaccessData(texts);
    const HRESULT written = document->write(texts);
    document->close();
    ::SafeArrayDestroy(texts);  // frees the string too
    return SUCCEEDED(written);
}

std::uint32_t Win32BrowserControl::ConnectEvents(BrowserEvents& sink) {
    BrowserHosting& hosting = *hosting_;
    if (!hosting.browser || hosting.cookie != kNotConnected) return kNotConnected;
    Ref<IConnectionPointContainer> container;
    if (FAILED(hosting.browser->QueryInterface(IID_IConnectionPointContainer, container.ReceiveVoid()))) {
        return kNotConnected;
    }
    if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, hosting.events.Receive()))) {
        return kNotConnected;
    }
    hosting.sink = new EventSink(sink, hosting.identity.Get());
    DWORD cookie = 0;
    if (FAILED(hosting.events->Advise(hosting.sink, &cookie)) || cookie == kNotConnected) {
        hosting.Disconnect();
        return kNotConnected;
    }
    hosting.cookie = cookie;
    return cookie;
}

void Win32BrowserControl::DisconnectEvents(std::uint32_t cookie) {
    if (cookie == hosting_->cookie) hosting_->Disconnect();
}

}  // namespace sealwing::platform
