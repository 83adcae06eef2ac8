#include "addin/win32/SealwingAddinCom.h"

#include <gtest/gtest.h>

#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace sealwing::win32
