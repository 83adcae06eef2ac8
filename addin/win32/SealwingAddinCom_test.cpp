#include "addin/win32/SealwingAddinCom.h"

#include <gtest/gtest.h>
#include <olectl.h>

#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "addin/win32/ButtonPicture.h"
#include "addin/win32/ResourceData.h"
#include "platform/EntryFailureRecorder.h"
#include "reading/ReplyTemplate.h"

namespace sealwing::win32 {
namespace {

#pragma GCC diagnostic push
// COM objects are destroyed by Release, never deleted through an interface.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// A host that breaks COM's rule: its QueryInterface throws a C++ exception into the add-in's OnConnection.
class ThrowingHost final : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { throw std::runtime_error("the host broke"); }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};
#pragma GCC diagnostic pop

// The object as Outlook makes it, on this thread (its UI thread), from the type library in this program's resources.
TEST(SealwingAddinComTest, AMethodWhoseWorkThrowsReturnsEUnexpectedAndTheObjectGoesOn) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        CSealwingAddinCom* created = nullptr;
        ASSERT_EQ(CSealwingAddinCom::Create(&created), S_OK);
        const auto addin = ComPtr<CSealwingAddinCom>::Attach(created);
        // Making the object installed the add-in's log as the reporter; the test listens in its place.
        const platform::ScopedEntryFailureRecorder reported;

        ThrowingHost host;
        EXPECT_EQ(addin->OnConnection(&host, ext_ConnectMode{}, nullptr, nullptr), E_UNEXPECTED);
        EXPECT_EQ(reported.Texts(), std::vector<std::string>{"the host broke"});

        // HRESULTs the code returns itself reach the caller unchanged, and the object still works.
        EXPECT_EQ(addin->GetCustomUI(nullptr, nullptr), E_POINTER);
        EXPECT_EQ(addin->OnConnection(nullptr, ext_ConnectMode{}, nullptr, nullptr), S_OK);
        EXPECT_EQ(addin->OnDisconnection(ext_DisconnectMode{}, nullptr), S_OK);
        EXPECT_EQ(reported.Count(), 1u);
    }
    CoUninitialize();
}

// The program carries the DLL's resources: the reply template is data resource 228, whose bytes, widened from the
// ANSI code page, are what the add-in fills.
TEST(SealwingResourcesTest, TheReplyTemplateIsDataResource228) {
    const std::string_view bytes = ResourceBytes(RT_RCDATA, reading::kReplyTemplateResource);
    ASSERT_EQ(bytes.size(), 1639u);
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring widened(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), widened.data(), length);
    EXPECT_EQ(widened, reading::LoadReplyTemplate());
    EXPECT_NE(widened.find(L"%BODY%\r\n"), std::wstring::npos);
}

// The command-bar button's face (GIF data resource 221) and its mask (bitmap resource 220), as the picture maker the
// DLL installs makes them: 24x24 bitmap pictures, the mask monochrome.
TEST(SealwingResourcesTest, TheButtonFaceAndItsMaskAre24By24BitmapPictures) {
    struct Case {
        int resource;
        outlook::win32::FaceResource kind;
        WORD bitsPerPixel;  // 0: any colour depth
    };
    for (const Case& face :
         {Case{221, outlook::win32::FaceResource::kImage, 0}, Case{220, outlook::win32::FaceResource::kBitmap, 1}}) {
        IPictureDisp* made = nullptr;
        ASSERT_EQ(MakeButtonFacePicture(face.resource, face.kind, &made), S_OK) << face.resource;
        const auto picture = ComPtr<IPictureDisp>::Attach(made).As<IPicture>(IID_IPicture);
        ASSERT_TRUE(picture);
        SHORT type = PICTYPE_UNINITIALIZED;
        ASSERT_EQ(picture->get_Type(&type), S_OK);
        EXPECT_EQ(type, PICTYPE_BITMAP);
        OLE_HANDLE handle = 0;
        ASSERT_EQ(picture->get_Handle(&handle), S_OK);
        BITMAP bitmap{};
        ASSERT_NE(GetObjectW(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(handle)), sizeof(bitmap), &bitmap), 0);
        EXPECT_EQ(bitmap.bmWidth, 24);
        EXPECT_EQ(bitmap.bmHeight, 24);
        if (face.bitsPerPixel != 0) {
            EXPECT_EQ(bitmap.bmBitsPixel, face.bitsPerPixel);
        }
    }
    IPictureDisp* none = nullptr;
    EXPECT_TRUE(FAILED(MakeButtonFacePicture(299, outlook::win32::FaceResource::kBitmap, &none)));
    EXPECT_TRUE(FAILED(MakeButtonFacePicture(299, outlook::win32::FaceResource::kImage, &none)));
    EXPECT_EQ(none, nullptr);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// Office's side of a ribbon callback: the control, whose Context is a window object (or something that is not one).
// Both live on the test's stack.
class FakeWindow final : public IDispatch, public IOleWindow {
public:
    HWND handle = nullptr;
    bool answersOleWindow = true;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
        } else if (IsEqualIID(iid, IID_IOleWindow) && answersOleWindow) {
            *object = static_cast<IOleWindow*>(this);
        }
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        *window = handle;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
};

class FakeRibbonControl final : public IRibbonControl {
public:
    IDispatch* context = nullptr;
    bool answersRibbonControl = true;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            (IsEqualIID(iid, kIidIRibbonControl) && answersRibbonControl)) {
            *object = static_cast<IRibbonControl*>(this);
        }
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) override {
        *id = SysAllocString(L"SealwingButton");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Context(IDispatch** result) override {
        *result = context;
        if (context != nullptr) context->AddRef();
        return context != nullptr ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) override {
        *tag = nullptr;
        return S_OK;
    }
};
#pragma GCC diagnostic pop

TEST(RibbonControlWindowTest, TheControlsContextGivesItsWindowAndEveryMissingStepGivesNone) {
    FakeWindow window;
    window.handle = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234));
    FakeRibbonControl control;
    control.context = &window;
    EXPECT_EQ(RibbonControlWindow(&control), static_cast<platform::WindowHandle>(0x1234));

    EXPECT_EQ(RibbonControlWindow(nullptr), platform::kNoWindow);
    window.answersOleWindow = false;
    EXPECT_EQ(RibbonControlWindow(&control), platform::kNoWindow);
    window.answersOleWindow = true;
    control.context = nullptr;
    EXPECT_EQ(RibbonControlWindow(&control), platform::kNoWindow);
    control.context = &window;
    control.answersRibbonControl = false;
    EXPECT_EQ(RibbonControlWindow(&control), platform::kNoWindow);
}

}  // namespace
}  // namespace sealwing::win32
