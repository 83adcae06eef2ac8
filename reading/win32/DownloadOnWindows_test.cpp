// The attachment download as the user meets it on Windows: the real CDownloadAttachmentsDlg, run by the
// user-interface adapter from template 227 in this program's resources (resources/Dialogs.rc) with its real progress
// bar, fetching through WinHTTP from the local service that scripts/run-windows-tests.sh starts for this program
// (reading/win32/DownloadService.seed: a message to ann with two attachments, served in small pieces), into files
// written by the Windows files adapter. The forward is a simulated Outlook's draft. A thread timer plays the user.

#include "platform/win32/Win32Headers.h"
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/ProcessState.h"
#include "diagnostics/Log.h"
#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/SafeFileName.h"
#include "platform/win32/Win32ActivationContext.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32TempFolder.h"
#include "platform/win32/WinHttp.h"
#include "platform/win32/testdata/DialogInspection.h"
#include "platform/win32/testdata/LocalServiceTestMain.h"
#include "reading/AttachmentDownload.h"
#include "reading/DownloadAttachmentsDialog.h"
#include "reading/DownloadAttachmentsDialogTemplate.h"
#include "service/ServiceOperations.h"
#include "settings/PasswordCache.h"
#include "sim/SimAttachment.h"
#include "sim/SimOutlook.h"

namespace sealwing::reading {
namespace {

using namespace platform::win32::testing;

constexpr WORD kDialogsManifest = 2;
constexpr const wchar_t* kRegistryRoot = L"Software\\SealwingDownloadTests";
constexpr const wchar_t* kAnn = L"ann@example.com";
const std::wstring kCaption(kDownloadAttachmentsDialogTemplate.caption);

HINSTANCE TestModule() { return ::GetModuleHandleW(nullptr); }

struct Bar {
    UINT low = 1;
    UINT high = 0;
    UINT position = 0;
};

Bar ReadBar(HWND dialog) {
    const HWND bar = ::GetDlgItem(dialog, kDownloadProgressId);
    PBRANGE range{};
    ::SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    return Bar{static_cast<UINT>(range.iLow), static_cast<UINT>(range.iHigh),
               static_cast<UINT>(::SendMessageW(bar, PBM_GETPOS, 0, 0))};
}

// The download dialog as it is, with a look at its bar, and a screenshot, when the worker's end arrives, before the
// dialog goes.
class BarAtTheEnd final : public platform::Dialog {
public:
    explicit BarAtTheEnd(CDownloadAttachmentsDlg& dialog) : dialog_(dialog) {}

    const platform::DialogTemplate& Template() const override { return dialog_.Template(); }
    void OnOpen(platform::DialogView& view, const std::shared_ptr<platform::DialogMailbox>& mailbox) override {
        dialog_.OnOpen(view, mailbox);
    }
    std::optional<int> OnCommand(platform::DialogView& view, int id) override { return dialog_.OnCommand(view, id); }
    std::optional<int> OnClose(platform::DialogView& view) override { return dialog_.OnClose(view); }
    std::optional<int> OnPosted(platform::DialogView& view, int message, std::intptr_t value) override {
        const std::optional<int> result = dialog_.OnPosted(view, message, value);
        if (message == kDownloadEndedMessage) {
            const auto window = reinterpret_cast<HWND>(view.Window());
            atTheEnd = ReadBar(window);
            screenshotSaved = SavePng(Capture(window), ArtefactPath(L"download-attachments-real.png"));
        }
        return result;
    }

    Bar atTheEnd{};
    bool screenshotSaved = false;

private:
    CDownloadAttachmentsDlg& dialog_;
};

class DownloadOnWindowsTest : public ::testing::Test {
protected:
    DownloadOnWindowsTest() {
        ResetProcessState();
        diagnostics::OpenThreadLog(L"Main");
        settings::PasswordCache::Instance().SetPassword(kAnn, L"pw");
    }
    ~DownloadOnWindowsTest() override {
        ResetProcessState();
        platform::Win32Registry().DeleteKey(kRegistryRoot);
    }

    void SetUp() override { ASSERT_TRUE(manifest_.Valid()) << "error " << manifest_.Error(); }

    service::SecureMessage Message() {
        service::SecureMessage message;
        std::vector<std::wstring> explanations;
        EXPECT_EQ(service::DownloadMessage(L"m1", kAnn, message, explanations), service::ServiceResult::Success);
        return message;
    }

    platform::Win32ActivationContext manifest_{TestModule(), kDialogsManifest};
    UserInterfaceRecordingLinks ui_{TestModule(), manifest_.Get()};
    OwnerWindow owner_;
    platform::Win32TempFolder temp_;
    platform::Win32FileSystem files_{temp_.At(L"roaming"), temp_.At(L"local")};

private:
    platform::Win32Registry registry_{kRegistryRoot};
    platform::win32::WinHttp http_;
    platform::ManualClock clock_{1796871845};

protected:
    sim::SimOutlook outlook_{sim::SimOptions{.majorVersion = 14}, clock_};

private:
    platform::ScopedPlatform platform_{[this] {
        platform::Platform record = outlook_.PlatformWith({.files = files_, .registry = registry_, .http = &http_});
        record.ui = &ui_;
        return record;
    }()};
};

// The bar runs from 0 to the total the service listed and stands at its end when the worker reports; each file
// holds its attachment.
TEST_F(DownloadOnWindowsTest, TheRealBarRunsToTheTotalAndEachFileHoldsItsAttachment) {
    const service::SecureMessage message = Message();
    ASSERT_EQ(message.attachments.size(), 2U);
    const std::wstring folder = temp_.At(L"files");
    ASSERT_TRUE(files_.CreateFolder(folder));
    AttachmentFetch fetch{.messageId = L"m1",
                          .user = kAnn,
                          .attachments = message.attachments,
                          .paths = {folder + L"\\first.txt", folder + L"\\second.txt"}};
    CDownloadAttachmentsDlg dialog(fetch);
    BarAtTheEnd watched(dialog);
    Bar opened;
    HWND owner = nullptr;
    {
        DialogPlayer user({{kCaption, [&](HWND shown) {
                                opened = ReadBar(shown);
                                owner = ::GetWindow(shown, GW_OWNER);
                            }}});
        EXPECT_EQ(ui_.RunDialog(watched, owner_.Get()), platform::kDialogOk);
        EXPECT_TRUE(user.Finished()) << "the dialog ended before the user looked at it";
    }

    const auto total = static_cast<UINT>(TotalSize(message.attachments));
    EXPECT_EQ(reinterpret_cast<platform::WindowHandle>(owner), owner_.Get());
    EXPECT_EQ(opened.low, 0U);
    EXPECT_EQ(opened.high, total);
    EXPECT_EQ(watched.atTheEnd.position, total);
    EXPECT_TRUE(dialog.Outcome().complete);
    EXPECT_TRUE(watched.screenshotSaved);
    EXPECT_EQ(files_.ReadFile(fetch.paths[1]).bytes, "kept inside");
    EXPECT_EQ(files_.ReadFile(fetch.paths[0]).bytes.size(), static_cast<std::size_t>(message.attachments[0].size));
}

// The whole download on Windows paths: the forward carries both attachments under their real names, and nothing of
// the download is left in the add-in's folder.
TEST_F(DownloadOnWindowsTest, TheForwardGetsTheAttachmentsUnderTheirRealNamesAndNoFileStays) {
    const service::SecureMessage message = Message();
    const outlook::Ref<outlook::MailItem> forward = outlook_.CreateMailItem();
    {
        DialogPlayer user({{kCaption, [](HWND) {}}});
        DownloadAttachments(L"m1", kAnn, message, forward, owner_.Get(), true);
    }

    const auto attachments = forward->Attachments();
    ASSERT_EQ(attachments->Count(), 2);
    EXPECT_EQ(attachments->Item(1)->DisplayName(), L"Q3 figures & notes.txt");
    EXPECT_EQ(attachments->Item(2)->DisplayName(), L"../../outside.txt");
    EXPECT_EQ(attachments->Item(2)->FileName(), L"outside.txt");
    EXPECT_EQ(std::dynamic_pointer_cast<sim::SimAttachment>(attachments->Item(2))->Bytes(), "kept inside");
    EXPECT_FALSE(files_.ReadFile(temp_.At(L"local\\outside.txt")).opened);
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(temp_.At(L"local\\Parcelon\\*").c_str(), &found);
    std::vector<std::wstring> left;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L".." && name.find(L".log") == std::wstring::npos) left.push_back(name);
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    EXPECT_EQ(left, std::vector<std::wstring>{});
}

}  // namespace
}  // namespace sealwing::reading

int main(int argc, char** argv) {
    return sealwing::platform::win32::testing::RunTestsAgainstLocalService(argc, argv, "sealwing_download_tests");
}
